<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="en">
<context>
    <name>FileMessages</name>
    <message numerus="yes">
        <source>%n task(s) in the task file had the identity of an earlier task and got a new one.</source>
        <translation>
            <numerusform>%n task in the task file had the identity of an earlier task and got a new one.</numerusform>
            <numerusform>%n tasks in the task file had the identity of an earlier task and got a new one.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n task(s) imported</source>
        <translation>
            <numerusform>%n task imported</numerusform>
            <numerusform>%n tasks imported</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n already here</source>
        <translation>
            <numerusform>%n already here</numerusform>
            <numerusform>%n already here</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n completed before, not imported</source>
        <translation>
            <numerusform>%n completed before, not imported</numerusform>
            <numerusform>%n completed before, not imported</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n event(s) skipped</source>
        <translation>
            <numerusform>%n event skipped</numerusform>
            <numerusform>%n events skipped</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n journal(s) skipped</source>
        <translation>
            <numerusform>%n journal skipped</numerusform>
            <numerusform>%n journals skipped</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n other item(s) skipped</source>
        <translation>
            <numerusform>%n other item skipped</numerusform>
            <numerusform>%n other items skipped</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n too large</source>
        <translation>
            <numerusform>%n too large</numerusform>
            <numerusform>%n too large</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n did not fit</source>
        <translation>
            <numerusform>%n did not fit</numerusform>
            <numerusform>%n did not fit</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>DataCommands</name>
    <message numerus="yes">
        <source>Import %n Task(s)</source>
        <translation>
            <numerusform>Import %n Task</numerusform>
            <numerusform>Import %n Tasks</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Sync Removal of %n Task(s)</source>
        <translation>
            <numerusform>Sync Removal of %n Task</numerusform>
            <numerusform>Sync Removal of %n Tasks</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>frmMain</name>
    <message numerus="yes">
        <source>%n task(s) exported to &quot;%1&quot;.</source>
        <translation>
            <numerusform>%n task exported to &quot;%1&quot;.</numerusform>
            <numerusform>%n tasks exported to &quot;%1&quot;.</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>SyncMessages</name>
    <message numerus="yes">
        <source>%n task(s) received</source>
        <translation>
            <numerusform>%n task received</numerusform>
            <numerusform>%n tasks received</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n task(s) sent</source>
        <translation>
            <numerusform>%n task sent</numerusform>
            <numerusform>%n tasks sent</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n deleted on the server</source>
        <translation>
            <numerusform>%n deleted on the server</numerusform>
            <numerusform>%n deleted on the server</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n removed here, as on the server (Undo brings them back)</source>
        <translation>
            <numerusform>%n removed here, as on the server (Undo brings it back)</numerusform>
            <numerusform>%n removed here, as on the server (Undo brings them back)</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n task(s) were changed on both sides: both versions are kept, as two tasks.</source>
        <translation>
            <numerusform>%n task was changed on both sides: both versions are kept, as two tasks.</numerusform>
            <numerusform>%n tasks were changed on both sides: both versions are kept, as two tasks each.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n task(s) did not fit in the task table and stay on the server, untouched.</source>
        <translation>
            <numerusform>%n task did not fit in the task table and stays on the server, untouched.</numerusform>
            <numerusform>%n tasks did not fit in the task table and stay on the server, untouched.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n address(es) or item(s) in the server&apos;s answers were ignored, as outside the task list or larger than 1 MiB.</source>
        <translation>
            <numerusform>%n address or item in the server&apos;s answers was ignored, as outside the task list or larger than 1 MiB.</numerusform>
            <numerusform>%n addresses or items in the server&apos;s answers were ignored, as outside the task list or larger than 1 MiB.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>The server reports %n synced task(s) as deleted at once. Nothing was deleted, here or there. If they were deleted on purpose, sync in the window and choose to remove them here; otherwise look at the server.</source>
        <translation>
            <numerusform>The server reports %n synced task as deleted at once. Nothing was deleted, here or there. If it was deleted on purpose, sync in the window and choose to remove it here; otherwise look at the server.</numerusform>
            <numerusform>The server reports %n synced tasks as deleted at once. Nothing was deleted, here or there. If they were deleted on purpose, sync in the window and choose to remove them here; otherwise look at the server.</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>RepeatingTasks</name>
    <message numerus="yes">
        <source>Repeats every %n second(s)</source>
        <translation>
            <numerusform>Repeats every second</numerusform>
            <numerusform>Repeats every %n seconds</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Repeats every %n minute(s)</source>
        <translation>
            <numerusform>Repeats every minute</numerusform>
            <numerusform>Repeats every %n minutes</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Repeats every %n hour(s)</source>
        <translation>
            <numerusform>Repeats every hour</numerusform>
            <numerusform>Repeats every %n hours</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Repeats every %n day(s)</source>
        <translation>
            <numerusform>Repeats every day</numerusform>
            <numerusform>Repeats every %n days</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Repeats every %n week(s)</source>
        <translation>
            <numerusform>Repeats every week</numerusform>
            <numerusform>Repeats every %n weeks</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Repeats every %n month(s)</source>
        <translation>
            <numerusform>Repeats every month</numerusform>
            <numerusform>Repeats every %n months</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Repeats every %n year(s)</source>
        <translation>
            <numerusform>Repeats every year</numerusform>
            <numerusform>Repeats every %n years</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n time(s) in all</source>
        <translation>
            <numerusform>once in all</numerusform>
            <numerusform>%n times in all</numerusform>
        </translation>
    </message>
</context>
</TS>
