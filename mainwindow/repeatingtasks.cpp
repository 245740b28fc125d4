#include "mainwindow/repeatingtasks.h"

#include "ical/keptforms.h"
#include "sync/syncstate.h"

#include <QCoreApplication>
#include <QDate>
#include <QLocale>
#include <QStringList>

#include <array>

using namespace Qt::StringLiterals;

namespace {

using Forms = std::map<std::string, std::string, std::less<>>;

Forms importedForms(const std::filesystem::path& file)
{
    ical::KeptForms imported(file);
    return imported.load() ? Forms{} : imported.forms();
}

Forms syncedForms(const std::filesystem::path& taskFile)
{
    Forms forms;
    for (const SyncedItem& item : SyncStateFiles(taskFile).load().state.items)
        forms[item.uid.toStdString()] = item.lastSynced.toStdString();
    return forms;
}

} // namespace

RepeatingTasks::RepeatingTasks(const std::filesystem::path& taskFile)
    : synced_{SyncStateFiles(taskFile).folder() / "items.json", [taskFile] { return syncedForms(taskFile); }},
      imported_{ical::KeptForms::defaultFile(), [] { return importedForms(ical::KeptForms::defaultFile()); }}
{
}

bool RepeatingTasks::refresh()
{
    const bool synced = refresh(synced_);
    return refresh(imported_) || synced;
}

// A form that cannot be read is no repeat: the task is then done and recycled as any other. Most
// forms do not repeat, and a look for the rule's name spares parsing them. A form that does not
// repeat stays as an empty text: it is newer than an imported one that did.
bool RepeatingTasks::refresh(Source& source)
{
    std::error_code ec;
    const std::uintmax_t size = std::filesystem::file_size(source.file, ec);
    const FileStamp stamp{ec ? 0 : size, std::filesystem::last_write_time(source.file, ec)};
    if (source.stamp == stamp)
        return false;
    source.stamp = stamp;
    source.forms = source.read();
    for (auto& [uid, form] : source.forms) {
        if (form.find("RRULE") == std::string::npos || !ical::repeatOf(form))
            form = std::string();
    }
    return true;
}

const std::string* RepeatingTasks::formOf(const std::string& uid) const
{
    for (const Source* source : {&synced_, &imported_}) {
        if (const auto found = source->forms.find(uid); !uid.empty() && found != source->forms.end())
            return found->second.empty() ? nullptr : &found->second;
    }
    return nullptr;
}

QString RepeatingTasks::repeatText(const ical::Repeat& repeat)
{
    const QLocale locale;
    // By Repeat::Unit.
    constexpr std::array<const char*, 7> everyUnit{QT_TRANSLATE_N_NOOP("RepeatingTasks", "Repeats every %n second(s)"),
                                                   QT_TRANSLATE_N_NOOP("RepeatingTasks", "Repeats every %n minute(s)"),
                                                   QT_TRANSLATE_N_NOOP("RepeatingTasks", "Repeats every %n hour(s)"),
                                                   QT_TRANSLATE_N_NOOP("RepeatingTasks", "Repeats every %n day(s)"),
                                                   QT_TRANSLATE_N_NOOP("RepeatingTasks", "Repeats every %n week(s)"),
                                                   QT_TRANSLATE_N_NOOP("RepeatingTasks", "Repeats every %n month(s)"),
                                                   QT_TRANSLATE_N_NOOP("RepeatingTasks", "Repeats every %n year(s)")};
    QString text = tr(everyUnit[static_cast<std::size_t>(repeat.unit)], nullptr, repeat.interval);
    QStringList days;
    for (const int weekday : repeat.weekdays)
        days << locale.dayName(weekday == 0 ? 7 : weekday); // Qt counts from Monday = 1
    if (!days.isEmpty())
        text += u' ' + tr("on %1").arg(days.join(u", "_s));
    if (repeat.count > 0)
        text += u", "_s + tr("%n time(s) in all", nullptr, repeat.count);
    if (repeat.until) {
        const QDate until(static_cast<int>(repeat.until->year), repeat.until->month, repeat.until->day);
        text += u", "_s + tr("until %1").arg(locale.toString(until, QLocale::ShortFormat));
    }
    return text;
}
