<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de" sourcelanguage="en">
<context>
    <name>DataCommands</name>
    <message>
        <source>The task file was changed since, and what this step acts on is no longer there as it was.
Nothing was changed; the step is dropped.</source>
        <translation>Die Aufgabendatei wurde inzwischen geändert, und worauf dieser Schritt wirkt, ist nicht mehr so da, wie er es kannte.
Nichts wurde geändert; der Schritt entfällt.</translation>
    </message>
    <message>
        <source>Cannot redo %1:</source>
        <translation>%1 kann nicht wiederholt werden:</translation>
    </message>
    <message>
        <source>Cannot carry out %1:</source>
        <translation>%1 kann nicht ausgeführt werden:</translation>
    </message>
    <message>
        <source>Cannot undo %1:</source>
        <translation>%1 kann nicht rückgängig gemacht werden:</translation>
    </message>
    <message>
        <source>Colors And Alerts</source>
        <translation>Farben und Hinweise</translation>
    </message>
    <message>
        <source>New Task “%1”</source>
        <translation>Neue Aufgabe „%1“</translation>
    </message>
    <message>
        <source>Edit “%1”</source>
        <translation>„%1“ bearbeiten</translation>
    </message>
    <message>
        <source>Delete “%1”</source>
        <translation>„%1“ löschen</translation>
    </message>
    <message>
        <source>Un-Delete “%1”</source>
        <translation>„%1“ wiederherstellen</translation>
    </message>
    <message>
        <source>Delete “%1” Permanently</source>
        <translation>„%1“ endgültig löschen</translation>
    </message>
    <message numerus="yes">
        <source>Import %n Task(s)</source>
        <translation>
            <numerusform>Import von %n Aufgabe</numerusform>
            <numerusform>Import von %n Aufgaben</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Sync Removal of %n Task(s)</source>
        <translation>
            <numerusform>Entfernung von %n Aufgabe durch den Abgleich</numerusform>
            <numerusform>Entfernung von %n Aufgaben durch den Abgleich</numerusform>
        </translation>
    </message>
    <message>
        <source>Done for This Time “%1”</source>
        <translation>Für dieses Mal erledigt „%1“</translation>
    </message>
</context>
<context>
    <name>DesktopNotifier</name>
    <message>
        <source>%1 more tasks need attention.</source>
        <translation>%1 weitere Aufgaben brauchen Aufmerksamkeit.</translation>
    </message>
    <message>
        <source>Show</source>
        <translation>Anzeigen</translation>
    </message>
    <message>
        <source>Due: %1</source>
        <translation>Fällig: %1</translation>
    </message>
    <message>
        <source>For: %1</source>
        <translation>Für: %1</translation>
    </message>
</context>
<context>
    <name>FileMessages</name>
    <message>
        <source>It is a named pipe (FIFO), not a regular file.</source>
        <translation>Es ist eine benannte Pipe (FIFO), keine reguläre Datei.</translation>
    </message>
    <message>
        <source>It is a character device, not a regular file.</source>
        <translation>Es ist ein zeichenorientiertes Gerät, keine reguläre Datei.</translation>
    </message>
    <message>
        <source>It is a block device, not a regular file.</source>
        <translation>Es ist ein blockorientiertes Gerät, keine reguläre Datei.</translation>
    </message>
    <message>
        <source>It is a socket, not a regular file.</source>
        <translation>Es ist ein Socket, keine reguläre Datei.</translation>
    </message>
    <message>
        <source>It is of an unknown kind, not a regular file.</source>
        <translation>Es ist von unbekannter Art, keine reguläre Datei.</translation>
    </message>
    <message>
        <source>The file is larger than %1 MiB.</source>
        <translation>Die Datei ist größer als %1 MiB.</translation>
    </message>
    <message>
        <source>The file is read-only.</source>
        <translation>Die Datei ist schreibgeschützt.</translation>
    </message>
    <message>
        <source>File exists</source>
        <translation>Die Datei existiert bereits</translation>
    </message>
    <message>
        <source>It is a symbolic link.</source>
        <translation>Es ist eine symbolische Verknüpfung.</translation>
    </message>
    <message>
        <source>It is not a folder.</source>
        <translation>Es ist kein Ordner.</translation>
    </message>
    <message>
        <source>It belongs to another user.</source>
        <translation>Der Ordner gehört einem anderen Benutzer.</translation>
    </message>
    <message>
        <source>It cannot be created: %1</source>
        <translation>Der Ordner kann nicht angelegt werden: %1</translation>
    </message>
    <message>
        <source>It cannot be made private: %1</source>
        <translation>Der Ordner kann nicht für andere gesperrt werden: %1</translation>
    </message>
    <message>
        <source>It is not a plain file.</source>
        <translation>Es ist keine einfache Datei.</translation>
    </message>
    <message>
        <source>Cannot write file &quot;%1&quot;:
%2</source>
        <translation>Die Datei „%1“ kann nicht geschrieben werden:
%2</translation>
    </message>
    <message>
        <source>Cannot write in folder &quot;%1&quot;:
%2</source>
        <translation>Im Ordner „%1“ kann nicht geschrieben werden:
%2</translation>
    </message>
    <message>
        <source>Cannot read file &quot;%1&quot;:
%2</source>
        <translation>Die Datei „%1“ kann nicht gelesen werden:
%2</translation>
    </message>
    <message>
        <source>Cannot write the attention page:
no home folder was found to keep it in.</source>
        <translation>Die Hinweisseite kann nicht geschrieben werden:
Es wurde kein persönlicher Ordner gefunden, in dem sie abgelegt werden kann.</translation>
    </message>
    <message>
        <source>The task file &quot;%1&quot; holds %2 task(s) beyond the %3 that fit and %4 rule(s) beyond the %5 that fit; they were not loaded.
Before the file is next saved, a copy of it is kept as &quot;%6&quot;.</source>
        <translation>Die Aufgabendatei „%1“ enthält %2 Aufgabe(n) mehr als die %3, die Platz finden, und %4 Regel(n) mehr als die %5, die Platz finden; diese wurden nicht geladen.
Bevor die Datei das nächste Mal gespeichert wird, wird eine Kopie davon als „%6“ aufbewahrt.</translation>
    </message>
    <message>
        <source>The task file &quot;%1&quot; holds %2 task(s) beyond the %3 that fit; they were not loaded.
Before the file is next saved, a copy of it is kept as &quot;%4&quot;.</source>
        <translation>Die Aufgabendatei „%1“ enthält %2 Aufgabe(n) mehr als die %3, die Platz finden; diese wurden nicht geladen.
Bevor die Datei das nächste Mal gespeichert wird, wird eine Kopie davon als „%4“ aufbewahrt.</translation>
    </message>
    <message>
        <source>The task file &quot;%1&quot; holds %2 rule(s) beyond the %3 that fit; they were not loaded.
Before the file is next saved, a copy of it is kept as &quot;%4&quot;.</source>
        <translation>Die Aufgabendatei „%1“ enthält %2 Regel(n) mehr als die %3, die Platz finden; diese wurden nicht geladen.
Bevor die Datei das nächste Mal gespeichert wird, wird eine Kopie davon als „%4“ aufbewahrt.</translation>
    </message>
    <message>
        <source>The task file &quot;%1&quot; was written in an older encoding (Windows-1252) and has been read in it.
It will be saved as UTF-8; before that, a copy of it is kept as &quot;%2&quot;.</source>
        <translation>Die Aufgabendatei „%1“ ist in einer älteren Kodierung (Windows-1252) geschrieben und wurde in dieser gelesen.
Sie wird als UTF-8 gespeichert; vorher wird eine Kopie davon als „%2“ aufbewahrt.</translation>
    </message>
    <message>
        <source>The task file &quot;%1&quot; could not be read, so it is not written over.
Make it readable, then start again.</source>
        <translation>Die Aufgabendatei „%1“ konnte nicht gelesen werden und wird deshalb nicht überschrieben.
Machen Sie sie lesbar und starten Sie das Programm dann erneut.</translation>
    </message>
    <message>
        <source>The task file &quot;%1&quot; was changed by another program since it was read; it was not written over.</source>
        <translation>Die Aufgabendatei „%1“ wurde seit dem Lesen von einem anderen Programm geändert; sie wurde nicht überschrieben.</translation>
    </message>
    <message>
        <source>Your version was kept as &quot;%1&quot;.</source>
        <translation>Ihre Fassung wurde als „%1“ aufbewahrt.</translation>
    </message>
    <message>
        <source>The other version was kept as &quot;%1&quot;.</source>
        <translation>Die andere Fassung wurde als „%1“ aufbewahrt.</translation>
    </message>
    <message>
        <source>A copy of the previous task file was kept as &quot;%1&quot;.</source>
        <translation>Eine Kopie der bisherigen Aufgabendatei wurde als „%1“ aufbewahrt.</translation>
    </message>
    <message>
        <source>It is not an iCalendar file.</source>
        <translation>Es ist keine iCalendar-Datei.</translation>
    </message>
    <message>
        <source>It is cut off or broken inside: it does not end as an iCalendar file does.</source>
        <translation>Sie ist abgeschnitten oder innen beschädigt: Sie endet nicht, wie eine iCalendar-Datei endet.</translation>
    </message>
    <message numerus="yes">
        <source>%n task(s) in the task file had the identity of an earlier task and got a new one.</source>
        <translation>
            <numerusform>%n Aufgabe in der Aufgabendatei hatte die Identität einer früheren Aufgabe und hat eine neue erhalten.</numerusform>
            <numerusform>%n Aufgaben in der Aufgabendatei hatten die Identität einer früheren Aufgabe und haben eine neue erhalten.</numerusform>
        </translation>
    </message>
    <message>
        <source>Cannot import file &quot;%1&quot;:
%2</source>
        <translation>Die Datei „%1“ kann nicht importiert werden:
%2</translation>
    </message>
    <message numerus="yes">
        <source>%n task(s) imported</source>
        <translation>
            <numerusform>%n Aufgabe importiert</numerusform>
            <numerusform>%n Aufgaben importiert</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n already here</source>
        <translation>
            <numerusform>%n bereits vorhanden</numerusform>
            <numerusform>%n bereits vorhanden</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n completed before, not imported</source>
        <translation>
            <numerusform>%n schon vorher erledigt, nicht importiert</numerusform>
            <numerusform>%n schon vorher erledigt, nicht importiert</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n event(s) skipped</source>
        <translation>
            <numerusform>%n Termin übersprungen</numerusform>
            <numerusform>%n Termine übersprungen</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n journal(s) skipped</source>
        <translation>
            <numerusform>%n Journaleintrag übersprungen</numerusform>
            <numerusform>%n Journaleinträge übersprungen</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n other item(s) skipped</source>
        <translation>
            <numerusform>%n anderer Eintrag übersprungen</numerusform>
            <numerusform>%n andere Einträge übersprungen</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n too large</source>
        <translation>
            <numerusform>%n zu groß</numerusform>
            <numerusform>%n zu groß</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n did not fit</source>
        <translation>
            <numerusform>%n passte nicht mehr hinein</numerusform>
            <numerusform>%n passten nicht mehr hinein</numerusform>
        </translation>
    </message>
    <message>
        <source>, </source>
        <translation>, </translation>
    </message>
</context>
<context>
    <name>FindBar</name>
    <message>
        <source>Find tasks</source>
        <translation>Aufgaben suchen</translation>
    </message>
    <message>
        <source>Find in title, For and description</source>
        <translation>In Titel, Für und Beschreibung suchen</translation>
    </message>
    <message>
        <source>Close the find bar</source>
        <translation>Suchleiste schließen</translation>
    </message>
    <message>
        <source>Close the find bar (Esc)</source>
        <translation>Suchleiste schließen (Esc)</translation>
    </message>
    <message>
        <source>%1 of %2</source>
        <translation>%1 von %2</translation>
    </message>
</context>
<context>
    <name>NavigationPane</name>
    <message>
        <source>Immideate Attention</source>
        <translation>Sofort erledigen</translation>
    </message>
    <message>
        <source>All Items</source>
        <translation>Alle</translation>
    </message>
    <message>
        <source>Recycled</source>
        <translation>Papierkorb</translation>
    </message>
    <message>
        <source>New Task</source>
        <translation>Neu</translation>
    </message>
</context>
<context>
    <name>Reminders</name>
    <message>
        <source>Desktop &amp;Notifications</source>
        <translation>Desktop-&amp;Benachrichtigungen</translation>
    </message>
    <message>
        <source>Immediate &amp;Attention</source>
        <translation>&amp;Sofort erledigen</translation>
    </message>
    <message>
        <source>&amp;Exit</source>
        <translation>B&amp;eenden</translation>
    </message>
    <message>
        <source>%1: 1 task needs attention</source>
        <translation>%1: 1 Aufgabe braucht Aufmerksamkeit</translation>
    </message>
    <message>
        <source>%1: %2 tasks need attention</source>
        <translation>%1: %2 Aufgaben brauchen Aufmerksamkeit</translation>
    </message>
</context>
<context>
    <name>SafeHtmlView</name>
    <message>
        <source>The page is larger than %1 MiB.</source>
        <translation>Die Seite ist größer als %1 MiB.</translation>
    </message>
</context>
<context>
    <name>StoreReports</name>
    <message>
        <source>The task file &quot;%1&quot; was changed elsewhere since it was read here.</source>
        <translation>Die Aufgabendatei „%1“ wurde anderswo geändert, seit sie hier gelesen wurde.</translation>
    </message>
    <message>
        <source>Reload it to see the other version: your changes are kept in a conflict file beside it.
Or overwrite it with your changes: the other version is kept in a conflict file.</source>
        <translation>Laden Sie sie neu, um die andere Fassung zu sehen: Ihre Änderungen bleiben in einer Konfliktdatei daneben erhalten.
Oder überschreiben Sie sie mit Ihren Änderungen: Die andere Fassung bleibt in einer Konfliktdatei erhalten.</translation>
    </message>
    <message>
        <source>&amp;Reload Other Version</source>
        <translation>Andere Fassung &amp;neu laden</translation>
    </message>
    <message>
        <source>&amp;Overwrite With Mine</source>
        <translation>Mit meiner &amp;überschreiben</translation>
    </message>
</context>
<context>
    <name>WindowSync</name>
    <message>
        <source>&amp;Sync Now</source>
        <translation>&amp;Jetzt abgleichen</translation>
    </message>
    <message>
        <source>Syncing…</source>
        <translation>Abgleich läuft…</translation>
    </message>
    <message>
        <source>Syncing %1 of %2…</source>
        <translation>Abgleich: %1 von %2…</translation>
    </message>
    <message>
        <source>The server refused the password of %1 on %2.</source>
        <translation>Der Server hat das Passwort von %1 auf %2 abgelehnt.</translation>
    </message>
    <message>
        <source>Taskwyn needs the password of %1 on %2 to sync.</source>
        <translation>Für den Abgleich braucht Taskwyn das Passwort von %1 auf %2.</translation>
    </message>
    <message>
        <source>No secret store answers: the password is kept until Taskwyn ends.</source>
        <translation>Kein Passwortspeicher antwortet: Das Passwort gilt nur, bis Taskwyn endet.</translation>
    </message>
    <message>
        <source>Nothing was deleted, here or on the server. Choose the task list again in the sync settings, or stop syncing this task file.</source>
        <translation>Nichts wurde gelöscht, weder hier noch auf dem Server. Wählen Sie die Aufgabenliste in den Abgleich-Einstellungen erneut, oder beenden Sie den Abgleich dieser Aufgabendatei.</translation>
    </message>
    <message>
        <source>&amp;Sync Settings…</source>
        <translation>Abgleich-&amp;Einstellungen…</translation>
    </message>
    <message>
        <source>&amp;Remove Them Here</source>
        <translation>&amp;Hier entfernen</translation>
    </message>
</context>
<context>
    <name>frmAlerts</name>
    <message>
        <source>Colors &amp; Alerts</source>
        <translation>Farben &amp; Hinweise</translation>
    </message>
    <message>
        <source>Rule #</source>
        <translation>Regel Nr.</translation>
    </message>
    <message>
        <source>&amp;New</source>
        <translation>&amp;Neu</translation>
    </message>
    <message>
        <source>&amp;Ok</source>
        <translation>&amp;OK</translation>
    </message>
    <message>
        <source>&amp;Cancel</source>
        <translation>&amp;Abbrechen</translation>
    </message>
    <message>
        <source>If project is due in:</source>
        <translation>Wenn fällig in:</translation>
    </message>
    <message>
        <source>days or less,</source>
        <translation>Tagen o. früher,</translation>
    </message>
    <message>
        <source>Change color to:</source>
        <translation>Farbe ändern in:</translation>
    </message>
    <message>
        <source>&amp;Select...</source>
        <translation>Aus&amp;wählen...</translation>
    </message>
    <message>
        <source>Popup at Startup?</source>
        <translation>Beim Start zeigen?</translation>
    </message>
    <message>
        <source>yes</source>
        <translation>ja</translation>
    </message>
    <message>
        <source>&amp;Delete</source>
        <translation>&amp;Löschen</translation>
    </message>
    <message>
        <source>Previous rule</source>
        <translation>Vorige Regel</translation>
    </message>
    <message>
        <source>Rule number</source>
        <translation>Regelnummer</translation>
    </message>
    <message>
        <source>Next rule</source>
        <translation>Nächste Regel</translation>
    </message>
    <message>
        <source>Days</source>
        <translation>Tage</translation>
    </message>
    <message>
        <source>Colour</source>
        <translation>Farbe</translation>
    </message>
    <message>
        <source>Popup at startup</source>
        <translation>Beim Start zeigen</translation>
    </message>
</context>
<context>
    <name>frmMain</name>
    <message>
        <source>&amp;Edit</source>
        <translation>&amp;Bearbeiten</translation>
    </message>
    <message>
        <source>&amp;Find…</source>
        <translation>&amp;Suchen…</translation>
    </message>
    <message>
        <source>&amp;Undo</source>
        <translation>&amp;Rückgängig</translation>
    </message>
    <message>
        <source>&amp;Redo</source>
        <translation>&amp;Wiederholen</translation>
    </message>
    <message>
        <source>&amp;View</source>
        <translation>A&amp;nsicht</translation>
    </message>
    <message>
        <source>&amp;Immideate Attention</source>
        <translation>&amp;Sofort erledigen</translation>
    </message>
    <message>
        <source>&amp;All Items</source>
        <translation>&amp;Alle Aufgaben</translation>
    </message>
    <message>
        <source>&amp;Recycled</source>
        <translation>&amp;Papierkorb</translation>
    </message>
    <message>
        <source>&amp;Tasks</source>
        <translation>&amp;Aufgaben</translation>
    </message>
    <message>
        <source>&amp;New Task...</source>
        <translation>&amp;Neue Aufgabe...</translation>
    </message>
    <message>
        <source>&amp;Edit...</source>
        <translation>&amp;Bearbeiten...</translation>
    </message>
    <message>
        <source>&amp;Delete</source>
        <translation>&amp;Löschen</translation>
    </message>
    <message>
        <source>&amp;Exit</source>
        <translation>B&amp;eenden</translation>
    </message>
    <message>
        <source>&amp;Options</source>
        <translation>&amp;Optionen</translation>
    </message>
    <message>
        <source>&amp;Colors And Alerts</source>
        <translation>&amp;Farben und Hinweise</translation>
    </message>
    <message>
        <source>&amp;Sync with Server…</source>
        <translation>Mit &amp;Server abgleichen…</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>&amp;Hilfe</translation>
    </message>
    <message>
        <source>&amp;About</source>
        <translation>&amp;Über</translation>
    </message>
    <message>
        <source>&amp;submenu</source>
        <translation>&amp;Untermenü</translation>
    </message>
    <message>
        <source>&amp;Un-Delete</source>
        <translation>&amp;Wiederherstellen</translation>
    </message>
    <message>
        <source>The task list is full: it holds %1 tasks.
Delete tasks for good from the recycle bin to make room for new ones.</source>
        <translation>Die Aufgabenliste ist voll: Sie fasst %1 Aufgaben.
Löschen Sie Aufgaben endgültig aus dem Papierkorb, um Platz für neue zu schaffen.</translation>
    </message>
    <message>
        <source>Delete this entry?!</source>
        <translation>Diesen Eintrag löschen?!</translation>
    </message>
    <message>
        <source>Are you sure? This will delete the item, permanently!!!</source>
        <translation>Sind Sie sicher? Der Eintrag wird endgültig gelöscht!!!</translation>
    </message>
    <message>
        <source>Are you sure?</source>
        <translation>Sind Sie sicher?</translation>
    </message>
    <message>
        <source>About %1</source>
        <translation>Über %1</translation>
    </message>
    <message>
        <source>%1 %2

A fast, trustworthy desktop task list for one person.</source>
        <translation>%1 %2

Eine schnelle, verlässliche Aufgabenliste für eine Person.</translation>
    </message>
    <message>
        <source>Title</source>
        <translation>Titel</translation>
    </message>
    <message>
        <source>For</source>
        <translation>Für</translation>
    </message>
    <message>
        <source>Due</source>
        <translation>Fällig</translation>
    </message>
    <message>
        <source>Description</source>
        <translation>Beschreibung</translation>
    </message>
    <message>
        <source>&amp;Import Tasks…</source>
        <translation>Aufgaben &amp;importieren…</translation>
    </message>
    <message>
        <source>E&amp;xport Tasks…</source>
        <translation>Aufgaben e&amp;xportieren…</translation>
    </message>
    <message>
        <source>Export Tasks</source>
        <translation>Aufgaben exportieren</translation>
    </message>
    <message>
        <source>Import Tasks</source>
        <translation>Aufgaben importieren</translation>
    </message>
    <message>
        <source>iCalendar files (*.ics)</source>
        <translation>iCalendar-Dateien (*.ics)</translation>
    </message>
    <message>
        <source>All files (*)</source>
        <translation>Alle Dateien (*)</translation>
    </message>
    <message numerus="yes">
        <source>%n task(s) exported to &quot;%1&quot;.</source>
        <translation>
            <numerusform>%n Aufgabe nach „%1“ exportiert.</numerusform>
            <numerusform>%n Aufgaben nach „%1“ exportiert.</numerusform>
        </translation>
    </message>
    <message>
        <source>This task repeats. Is it done for this time, or should the whole series go to the recycle bin?</source>
        <translation>Diese Aufgabe wiederholt sich. Ist sie für dieses Mal erledigt, oder soll die ganze Serie in den Papierkorb?</translation>
    </message>
    <message>
        <source>Done for this time</source>
        <translation>Für dieses Mal erledigt</translation>
    </message>
    <message>
        <source>Recycle the whole series</source>
        <translation>Ganze Serie in den Papierkorb</translation>
    </message>
    <message>
        <source>Alerts</source>
        <translation>Hinweise</translation>
    </message>
    <message>
        <source>Attention!</source>
        <translation>Achtung!</translation>
    </message>
    <message>
        <source>For: </source>
        <translation>Für: </translation>
    </message>
    <message>
        <source>Due: </source>
        <translation>Fällig: </translation>
    </message>
    <message>
        <source> at </source>
        <translation> um </translation>
    </message>
    <message>
        <source>%1 days left</source>
        <translation>noch %1 Tage</translation>
    </message>
    <message>
        <source>%1 days left</source>
        <comment>one day</comment>
        <translation>noch %1 Tag</translation>
    </message>
    <message>
        <source>Today!</source>
        <translation>Heute!</translation>
    </message>
    <message>
        <source>Late!</source>
        <translation>Überfällig!</translation>
    </message>
</context>
<context>
    <name>frmTask</name>
    <message>
        <source>New / Edit task</source>
        <translation>Aufgabe anlegen / bearbeiten</translation>
    </message>
    <message>
        <source>Title:</source>
        <translation>Titel:</translation>
    </message>
    <message>
        <source>For:</source>
        <translation>Für:</translation>
    </message>
    <message>
        <source>Due:</source>
        <translation>Fällig:</translation>
    </message>
    <message>
        <source>(yyyy)</source>
        <translation>(jjjj)</translation>
    </message>
    <message>
        <source>Time:</source>
        <translation>Zeit:</translation>
    </message>
    <message>
        <source>Description:</source>
        <translation>Beschreibung:</translation>
    </message>
    <message>
        <source>January</source>
        <translation>Januar</translation>
    </message>
    <message>
        <source>February</source>
        <translation>Februar</translation>
    </message>
    <message>
        <source>March</source>
        <translation>März</translation>
    </message>
    <message>
        <source>April</source>
        <translation>April</translation>
    </message>
    <message>
        <source>May</source>
        <translation>Mai</translation>
    </message>
    <message>
        <source>June</source>
        <translation>Juni</translation>
    </message>
    <message>
        <source>July</source>
        <translation>Juli</translation>
    </message>
    <message>
        <source>August</source>
        <translation>August</translation>
    </message>
    <message>
        <source>September</source>
        <translation>September</translation>
    </message>
    <message>
        <source>October</source>
        <translation>Oktober</translation>
    </message>
    <message>
        <source>November</source>
        <translation>November</translation>
    </message>
    <message>
        <source>December</source>
        <translation>Dezember</translation>
    </message>
    <message>
        <source>&amp;Ok</source>
        <translation>&amp;OK</translation>
    </message>
    <message>
        <source>&amp;Cancel</source>
        <translation>&amp;Abbrechen</translation>
    </message>
    <message>
        <source>Title</source>
        <translation>Titel</translation>
    </message>
    <message>
        <source>For</source>
        <translation>Für</translation>
    </message>
    <message>
        <source>Due day</source>
        <translation>Fälligkeitstag</translation>
    </message>
    <message>
        <source>Due month</source>
        <translation>Fälligkeitsmonat</translation>
    </message>
    <message>
        <source>Due year</source>
        <translation>Fälligkeitsjahr</translation>
    </message>
    <message>
        <source>Hour</source>
        <translation>Stunde</translation>
    </message>
    <message>
        <source>Minute</source>
        <translation>Minute</translation>
    </message>
    <message>
        <source>Second</source>
        <translation>Sekunde</translation>
    </message>
    <message>
        <source>Description</source>
        <translation>Beschreibung</translation>
    </message>
</context>
<context>
    <name>main</name>
    <message>
        <source>A task list.</source>
        <translation>Eine Aufgabenliste.</translation>
    </message>
    <message>
        <source>Without a file, use tasks.txt in the user&apos;s data folder (~/.local/share/taskwyn) instead of the current folder.</source>
        <translation>Ohne Datei tasks.txt im Datenordner des Benutzers (~/.local/share/taskwyn) statt im aktuellen Ordner verwenden.</translation>
    </message>
    <message>
        <source>The task file, or a folder that holds tasks.txt.</source>
        <translation>Die Aufgabendatei oder ein Ordner, der tasks.txt enthält.</translation>
    </message>
    <message>
        <source>Write every task to this iCalendar file, without a window.</source>
        <translation>Alle Aufgaben ohne Fenster in diese iCalendar-Datei schreiben.</translation>
    </message>
    <message>
        <source>Add the to-dos of this iCalendar file, without a window.</source>
        <translation>Die Aufgaben dieser iCalendar-Datei ohne Fenster hinzufügen.</translation>
    </message>
    <message>
        <source>Sync the tasks with the server once, without a window; a window open on the task file syncs instead.</source>
        <translation>Die Aufgaben einmal ohne Fenster mit dem Server abgleichen; ist die Aufgabendatei in einem Fenster offen, gleicht dieses ab.</translation>
    </message>
    <message>
        <source>Set up the sync with the server at this address for the user named next, reading the password from standard input, without a window.</source>
        <translation>Den Abgleich mit dem Server unter dieser Adresse für den danach genannten Benutzer ohne Fenster einrichten; das Passwort wird von der Standardeingabe gelesen.</translation>
    </message>
    <message>
        <source>%1 and %2 cannot be given together.</source>
        <translation>%1 und %2 können nicht zusammen angegeben werden.</translation>
    </message>
    <message>
        <source>--sync-setup needs the server&apos;s address and the user name.</source>
        <translation>--sync-setup braucht die Adresse des Servers und den Benutzernamen.</translation>
    </message>
</context>
<context>
    <name>CommandSync</name>
    <message>
        <source>The task file is open in a window, and the running window did not answer.</source>
        <translation>Die Aufgabendatei ist in einem Fenster offen, und das laufende Fenster hat nicht geantwortet.</translation>
    </message>
    <message>
        <source>Password for %1: </source>
        <translation>Passwort für %1: </translation>
    </message>
    <message>
        <source>The server holds no task list. Give the address of a task list, or create one in the window under Options → Sync with Server….</source>
        <translation>Der Server hat keine Aufgabenliste. Geben Sie die Adresse einer Aufgabenliste an, oder legen Sie im Fenster unter Optionen → Mit Server abgleichen… eine an.</translation>
    </message>
    <message>
        <source>The server holds several task lists; give the address of the one to sync with:</source>
        <translation>Der Server hat mehrere Aufgabenlisten; geben Sie die Adresse derjenigen an, mit der abgeglichen werden soll:</translation>
    </message>
    <message>
        <source>The password cannot be kept in the secret store (%1). A sync without a window would not find it, so nothing was set up.</source>
        <translation>Das Passwort kann nicht im Passwortspeicher aufbewahrt werden (%1). Ein Abgleich ohne Fenster fände es nicht, daher wurde nichts eingerichtet.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; syncs with %2 as %3.</source>
        <translation>„%1“ wird als %3 mit %2 abgeglichen.</translation>
    </message>
    <message>
        <source>No password was given on standard input.</source>
        <translation>Auf der Standardeingabe wurde kein Passwort angegeben.</translation>
    </message>
</context>
<context>
    <name>frmSync</name>
    <message>
        <source>Sync with Server</source>
        <translation>Mit Server abgleichen</translation>
    </message>
    <message>
        <source>Server &amp;address:</source>
        <translation>Server&amp;adresse:</translation>
    </message>
    <message>
        <source>&amp;User name:</source>
        <translation>&amp;Benutzername:</translation>
    </message>
    <message>
        <source>&amp;Password:</source>
        <translation>&amp;Passwort:</translation>
    </message>
    <message>
        <source>No secret store answers: the password is not kept, and Taskwyn asks for it again after the next start.</source>
        <translation>Kein Passwortspeicher antwortet: Das Passwort wird nicht aufbewahrt, und Taskwyn fragt nach dem nächsten Start erneut danach.</translation>
    </message>
    <message>
        <source>&amp;Find Task Lists</source>
        <translation>Aufgabenlisten &amp;finden</translation>
    </message>
    <message>
        <source>Task &amp;lists:</source>
        <translation>Aufgaben&amp;listen:</translation>
    </message>
    <message>
        <source>&amp;Create &quot;%1&quot;</source>
        <translation>„%1“ &amp;anlegen</translation>
    </message>
    <message>
        <source>Stop Syncing</source>
        <translation>Abgleich beenden</translation>
    </message>
    <message>
        <source>This task file syncs with the task list below.</source>
        <translation>Diese Aufgabendatei wird mit der Aufgabenliste unten abgeglichen.</translation>
    </message>
    <message>
        <source>Give the server&apos;s address, your user name and password, then find your task lists.</source>
        <translation>Geben Sie die Adresse des Servers, Ihren Benutzernamen und Ihr Passwort ein und suchen Sie dann Ihre Aufgabenlisten.</translation>
    </message>
    <message>
        <source>Looking for task lists…</source>
        <translation>Aufgabenlisten werden gesucht…</translation>
    </message>
    <message>
        <source>Choose the task list this file syncs with.</source>
        <translation>Wählen Sie die Aufgabenliste, mit der diese Datei abgeglichen wird.</translation>
    </message>
    <message>
        <source>The server holds no task list yet; create one.</source>
        <translation>Der Server hat noch keine Aufgabenliste; legen Sie eine an.</translation>
    </message>
    <message>
        <source>Creating the task list &quot;%1&quot;…</source>
        <translation>Die Aufgabenliste „%1“ wird angelegt…</translation>
    </message>
    <message>
        <source>Created the task list &quot;%1&quot;.</source>
        <translation>Die Aufgabenliste „%1“ wurde angelegt.</translation>
    </message>
    <message>
        <source>Keeping the password…</source>
        <translation>Das Passwort wird gespeichert…</translation>
    </message>
    <message>
        <source>The secret store did not keep the password: %1</source>
        <translation>Der Passwortspeicher hat das Passwort nicht gespeichert: %1</translation>
    </message>
    <message>
        <source>No secret store answers, so the password is not kept: Taskwyn holds it for this run only and asks for it again after the next start.</source>
        <translation>Kein Passwortspeicher antwortet, daher wird das Passwort nicht aufbewahrt: Taskwyn behält es nur bis zum Beenden und fragt nach dem nächsten Start erneut danach.</translation>
    </message>
    <message>
        <source>Stop syncing this task file? The tasks stay as they are, here and on the server.</source>
        <translation>Den Abgleich dieser Aufgabendatei beenden? Die Aufgaben bleiben, wie sie sind, hier und auf dem Server.</translation>
    </message>
    <message>
        <source>&amp;Stop</source>
        <translation>&amp;Anhalten</translation>
    </message>
    <message>
        <source>The server already holds a task list named &quot;%1&quot;. Sync with it instead of creating a second one?</source>
        <translation>Der Server hat schon eine Aufgabenliste namens „%1“. Mit ihr abgleichen, statt eine zweite anzulegen?</translation>
    </message>
</context>
<context>
    <name>SyncMessages</name>
    <message>
        <source>%1 (%2)</source>
        <translation>%1 (%2)</translation>
    </message>
    <message numerus="yes">
        <source>%n task(s) received</source>
        <translation>
            <numerusform>%n Aufgabe empfangen</numerusform>
            <numerusform>%n Aufgaben empfangen</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n task(s) sent</source>
        <translation>
            <numerusform>%n Aufgabe gesendet</numerusform>
            <numerusform>%n Aufgaben gesendet</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n deleted on the server</source>
        <translation>
            <numerusform>%n auf dem Server gelöscht</numerusform>
            <numerusform>%n auf dem Server gelöscht</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n removed here, as on the server (Undo brings them back)</source>
        <translation>
            <numerusform>%n hier entfernt wie auf dem Server (Rückgängig holt sie zurück)</numerusform>
            <numerusform>%n hier entfernt wie auf dem Server (Rückgängig holt sie zurück)</numerusform>
        </translation>
    </message>
    <message>
        <source>, </source>
        <translation>, </translation>
    </message>
    <message numerus="yes">
        <source>%n task(s) were changed on both sides: both versions are kept, as two tasks.</source>
        <translation>
            <numerusform>%n Aufgabe wurde auf beiden Seiten geändert: Beide Fassungen bleiben erhalten, als zwei Aufgaben.</numerusform>
            <numerusform>%n Aufgaben wurden auf beiden Seiten geändert: Beide Fassungen bleiben erhalten, als je zwei Aufgaben.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n task(s) did not fit in the task table and stay on the server, untouched.</source>
        <translation>
            <numerusform>%n Aufgabe passte nicht mehr in die Aufgabentabelle und bleibt unberührt auf dem Server.</numerusform>
            <numerusform>%n Aufgaben passten nicht mehr in die Aufgabentabelle und bleiben unberührt auf dem Server.</numerusform>
        </translation>
    </message>
    <message>
        <source>The task file and the task list on the server hold the same tasks.</source>
        <translation>Die Aufgabendatei und die Aufgabenliste auf dem Server enthalten dieselben Aufgaben.</translation>
    </message>
    <message>
        <source>The server could not be reached. The changes are kept in the task file and are sent at the next sync.</source>
        <translation>Der Server war nicht erreichbar. Die Änderungen bleiben in der Aufgabendatei und werden beim nächsten Abgleich gesendet.</translation>
    </message>
    <message>
        <source>The server refused the user name or the password. Nothing was changed.</source>
        <translation>Der Server hat den Benutzernamen oder das Passwort abgelehnt. Nichts wurde geändert.</translation>
    </message>
    <message>
        <source>No password is kept for this account. Give it under Options → Sync with Server…, or with taskwyn --sync-setup.</source>
        <translation>Für dieses Konto ist kein Passwort hinterlegt. Geben Sie es unter Optionen → Mit Server abgleichen… an oder mit taskwyn --sync-setup.</translation>
    </message>
    <message>
        <source>This task file does not sync with a server. Set it up under Options → Sync with Server…, or with taskwyn --sync-setup.</source>
        <translation>Diese Aufgabendatei wird mit keinem Server abgeglichen. Richten Sie den Abgleich unter Optionen → Mit Server abgleichen… ein oder mit taskwyn --sync-setup.</translation>
    </message>
    <message>
        <source>The task list on the server came back empty, although it held tasks at the last sync. Nothing was deleted, here or there. If it was emptied on purpose, stop syncing and set the sync up again; otherwise look at the server.</source>
        <translation>Die Aufgabenliste auf dem Server ist leer, obwohl sie beim letzten Abgleich Aufgaben enthielt. Nichts wurde gelöscht, weder hier noch dort. Wurde sie absichtlich geleert, beenden Sie den Abgleich und richten Sie ihn neu ein; sonst sehen Sie auf dem Server nach.</translation>
    </message>
    <message>
        <source>The task list this file syncs with is no longer on the server. Nothing was deleted. Choose a task list again under Options → Sync with Server….</source>
        <translation>Die Aufgabenliste, mit der diese Datei abgeglichen wird, ist nicht mehr auf dem Server. Nichts wurde gelöscht. Wählen Sie unter Optionen → Mit Server abgleichen… erneut eine Aufgabenliste.</translation>
    </message>
    <message>
        <source>What Taskwyn knows of the last sync belongs to another task list than the one chosen. Nothing was deleted. Stop syncing and set the sync up again to start afresh with the chosen list.</source>
        <translation>Was Taskwyn vom letzten Abgleich weiß, gehört zu einer anderen Aufgabenliste als der gewählten. Nichts wurde gelöscht. Beenden Sie den Abgleich und richten Sie ihn neu ein, um mit der gewählten Liste neu zu beginnen.</translation>
    </message>
    <message>
        <source>What Taskwyn knows of the last sync cannot be read, so nothing was deleted. Stop syncing and set the sync up again to start afresh.</source>
        <translation>Was Taskwyn vom letzten Abgleich weiß, ist nicht lesbar; daher wurde nichts gelöscht. Beenden Sie den Abgleich und richten Sie ihn neu ein, um neu zu beginnen.</translation>
    </message>
    <message>
        <source>What was synced could not be recorded. Nothing is lost: the next sync repeats the work.</source>
        <translation>Der Abgleich konnte nicht festgehalten werden. Nichts geht verloren: Der nächste Abgleich wiederholt die Arbeit.</translation>
    </message>
    <message>
        <source>The task file could not be saved, so the sync stopped; the server's changes come again at the next sync.</source>
        <translation>Die Aufgabendatei konnte nicht gespeichert werden, daher wurde der Abgleich beendet; die Änderungen des Servers kommen beim nächsten Abgleich erneut.</translation>
    </message>
    <message>
        <source>Tasks changed on the server again while they were sent; they are merged at the next sync.</source>
        <translation>Aufgaben wurden auf dem Server erneut geändert, während sie gesendet wurden; sie werden beim nächsten Abgleich zusammengeführt.</translation>
    </message>
    <message>
        <source>The server refused the sync or answered what Taskwyn cannot read.</source>
        <translation>Der Server hat den Abgleich abgelehnt oder etwas geantwortet, das Taskwyn nicht lesen kann.</translation>
    </message>
    <message>
        <source>The sync was stopped. What was sent is recorded; the rest goes out at the next sync.</source>
        <translation>Der Abgleich wurde angehalten. Was gesendet wurde, ist festgehalten; der Rest geht beim nächsten Abgleich hinaus.</translation>
    </message>
    <message>
        <source>Synced %1</source>
        <translation>Abgeglichen %1</translation>
    </message>
    <message>
        <source>Synced %1 – see the details</source>
        <translation>Abgeglichen %1 – siehe Einzelheiten</translation>
    </message>
    <message>
        <source>Offline – changes are kept here</source>
        <translation>Offline – Änderungen bleiben hier</translation>
    </message>
    <message>
        <source>Sync failed: the password was refused</source>
        <translation>Abgleich fehlgeschlagen: Das Passwort wurde abgelehnt</translation>
    </message>
    <message>
        <source>Sync waits for the password</source>
        <translation>Abgleich wartet auf das Passwort</translation>
    </message>
    <message>
        <source>Sync paused: the task list needs a look</source>
        <translation>Abgleich angehalten: Die Aufgabenliste braucht einen Blick</translation>
    </message>
    <message>
        <source>Sync stopped</source>
        <translation>Abgleich angehalten</translation>
    </message>
    <message>
        <source>Sync failed – see the details</source>
        <translation>Abgleich fehlgeschlagen – siehe Einzelheiten</translation>
    </message>
    <message numerus="yes">
        <source>%n address(es) or item(s) in the server&apos;s answers were ignored, as outside the task list or larger than 1 MiB.</source>
        <translation>
            <numerusform>%n Adresse oder Aufgabe in den Antworten des Servers wurde übergangen, da außerhalb der Aufgabenliste oder größer als 1 MiB.</numerusform>
            <numerusform>%n Adressen oder Aufgaben in den Antworten des Servers wurden übergangen, da außerhalb der Aufgabenliste oder größer als 1 MiB.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>The server reports %n synced task(s) as deleted at once. Nothing was deleted, here or there. If they were deleted on purpose, sync in the window and choose to remove them here; otherwise look at the server.</source>
        <translation>
            <numerusform>Der Server meldet %n abgeglichene Aufgabe auf einmal als gelöscht. Nichts wurde gelöscht, weder hier noch dort. Wurde sie absichtlich gelöscht, gleichen Sie im Fenster ab und lassen Sie sie hier entfernen; sonst sehen Sie auf dem Server nach.</numerusform>
            <numerusform>Der Server meldet %n abgeglichene Aufgaben auf einmal als gelöscht. Nichts wurde gelöscht, weder hier noch dort. Wurden sie absichtlich gelöscht, gleichen Sie im Fenster ab und lassen Sie sie hier entfernen; sonst sehen Sie auf dem Server nach.</numerusform>
        </translation>
    </message>
    <message>
        <source>The server asked to wait until %1.</source>
        <translation>Der Server bat, bis %1 zu warten.</translation>
    </message>
    <message>
        <source>The server&apos;s certificate could not be verified, so nothing was sent. A server with its own certificate authority is trusted once that authority is in the system&apos;s certificate store; see the README.</source>
        <translation>Das Zertifikat des Servers konnte nicht geprüft werden, daher wurde nichts gesendet. Einem Server mit eigener Zertifizierungsstelle vertraut Taskwyn, sobald diese im Zertifikatspeicher des Systems liegt; siehe README.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is not a server address.</source>
        <translation>„%1“ ist keine Serveradresse.</translation>
    </message>
    <message>
        <source>The server refused the user name or the password.</source>
        <translation>Der Server hat den Benutzernamen oder das Passwort abgelehnt.</translation>
    </message>
    <message>
        <source>Taskwyn sends passwords over plain http only to this computer; give an address that starts with https://.</source>
        <translation>Taskwyn sendet Passwörter über unverschlüsseltes http nur an diesen Computer; geben Sie eine Adresse an, die mit https:// beginnt.</translation>
    </message>
    <message>
        <source>The server sent Taskwyn on to another server than the one given, so it did not follow.</source>
        <translation>Der Server hat Taskwyn an einen anderen als den angegebenen Server weitergeleitet; Taskwyn ist ihm nicht gefolgt.</translation>
    </message>
    <message>
        <source>The server&apos;s certificate could not be verified, so Taskwyn did not connect (%1). A server with its own certificate authority is trusted once that authority is in the system&apos;s certificate store; see the README.</source>
        <translation>Das Zertifikat des Servers konnte nicht geprüft werden, daher hat Taskwyn keine Verbindung aufgebaut (%1). Einem Server mit eigener Zertifizierungsstelle vertraut Taskwyn, sobald diese im Zertifikatspeicher des Systems liegt; siehe README.</translation>
    </message>
    <message>
        <source>The server cannot be reached; check the address and the network connection (%1).</source>
        <translation>Der Server ist nicht erreichbar; prüfen Sie die Adresse und die Netzwerkverbindung (%1).</translation>
    </message>
    <message>
        <source>No task service answers at this address. Give the address of a CalDAV server or of one of its task lists.</source>
        <translation>Unter dieser Adresse antwortet kein Aufgabendienst. Geben Sie die Adresse eines CalDAV-Servers oder einer seiner Aufgabenlisten an.</translation>
    </message>
    <message>
        <source>The server is busy; try again in a while.</source>
        <translation>Der Server ist ausgelastet; versuchen Sie es später noch einmal.</translation>
    </message>
    <message>
        <source>Stopped.</source>
        <translation>Angehalten.</translation>
    </message>
    <message>
        <source>The server refused the request (%1).</source>
        <translation>Der Server hat die Anfrage abgelehnt (%1).</translation>
    </message>
</context>
<context>
    <name>RepeatingTasks</name>
    <message numerus="yes">
        <source>Repeats every %n second(s)</source>
        <translation>
            <numerusform>Wiederholt sich jede Sekunde</numerusform>
            <numerusform>Wiederholt sich alle %n Sekunden</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Repeats every %n minute(s)</source>
        <translation>
            <numerusform>Wiederholt sich jede Minute</numerusform>
            <numerusform>Wiederholt sich alle %n Minuten</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Repeats every %n hour(s)</source>
        <translation>
            <numerusform>Wiederholt sich jede Stunde</numerusform>
            <numerusform>Wiederholt sich alle %n Stunden</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Repeats every %n day(s)</source>
        <translation>
            <numerusform>Wiederholt sich jeden Tag</numerusform>
            <numerusform>Wiederholt sich alle %n Tage</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Repeats every %n week(s)</source>
        <translation>
            <numerusform>Wiederholt sich jede Woche</numerusform>
            <numerusform>Wiederholt sich alle %n Wochen</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Repeats every %n month(s)</source>
        <translation>
            <numerusform>Wiederholt sich jeden Monat</numerusform>
            <numerusform>Wiederholt sich alle %n Monate</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Repeats every %n year(s)</source>
        <translation>
            <numerusform>Wiederholt sich jedes Jahr</numerusform>
            <numerusform>Wiederholt sich alle %n Jahre</numerusform>
        </translation>
    </message>
    <message>
        <source>on %1</source>
        <translation>am %1</translation>
    </message>
    <message numerus="yes">
        <source>%n time(s) in all</source>
        <translation>
            <numerusform>einmal insgesamt</numerusform>
            <numerusform>%n-mal insgesamt</numerusform>
        </translation>
    </message>
    <message>
        <source>until %1</source>
        <translation>bis %1</translation>
    </message>
</context>
</TS>
