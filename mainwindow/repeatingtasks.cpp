#include "mainwindow/repeatingtasks.h"

#include "ical/keptforms.h"
#include "sync/syncstate.h"

#include <QCoreApplication>
#include <QDate>
#include <QLocale>
#include <QStringList>

#include <array>

using namespace Qt::StringLiterals;

RepeatingTasks::RepeatingTasks(std::filesystem::path taskFile)
    : taskFile_(std::move(taskFile)), files_{ical::KeptForms::defaultFile(),
                                             SyncStateFiles(taskFile_).folder() / "items.json"}
{
}

std::vector<RepeatingTasks::FileStamp> RepeatingTasks::stamps() const
{
    std::vector<FileStamp> stamps;
    for (const std::filesystem::path& file : files_) {
        std::error_code ec;
        const std::uintmax_t size = std::filesystem::file_size(file, ec);
        stamps.emplace_back(ec ? 0 : size, std::filesystem::last_write_time(file, ec));
    }
    return stamps;
}

// A form that cannot be read is no repeat: the task is then done and recycled as any other.
bool RepeatingTasks::refresh()
{
    std::vector<FileStamp> now = stamps();
    if (read_ == now)
        return false;
    read_ = std::move(now);
    forms_.clear();
    ical::KeptForms imported(files_[0]);
    if (!imported.load()) {
        for (const auto& [uid, form] : imported.forms())
            forms_[uid] = form;
    }
    const LoadedSyncState synced = SyncStateFiles(taskFile_).load();
    for (const SyncedItem& item : synced.state.items)
        forms_[item.uid.toStdString()] = item.lastSynced.toStdString();
    std::erase_if(forms_, [](const auto& entry) { return !ical::repeatOf(entry.second); });
    return true;
}

const std::string* RepeatingTasks::formOf(const std::string& uid) const
{
    const auto found = uid.empty() ? forms_.end() : forms_.find(uid);
    return found == forms_.end() ? nullptr : &found->second;
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
