#pragma once

#include "ical/repeat.h"

#include <QCoreApplication>
#include <QString>

#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>

// The kept iCalendar forms of the tasks that repeat, by uid: those the last sync agreed on, and for the
// others the imported ones. Each file is read again only when it changed.
class RepeatingTasks
{
    Q_DECLARE_TR_FUNCTIONS(RepeatingTasks)

public:
    explicit RepeatingTasks(const std::filesystem::path& taskFile);

    // True when a file of forms was read again.
    bool refresh();
    // The form of the task with this uid, when it repeats.
    const std::string* formOf(const std::string& uid) const;
    // "Repeats every week on Monday", in the user's language.
    static QString repeatText(const ical::Repeat& repeat);

private:
    using Forms = std::map<std::string, std::string, std::less<>>;
    using FileStamp = std::pair<std::uintmax_t, std::filesystem::file_time_type>;
    struct Source
    {
        std::filesystem::path file;
        std::function<Forms()> read;
        std::optional<FileStamp> stamp = {};
        Forms forms = {}; // the repeating ones; the others empty
    };
    static bool refresh(Source& source);

    Source synced_;
    Source imported_;
};
