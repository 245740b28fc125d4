#pragma once

#include "ical/repeat.h"

#include <QCoreApplication>
#include <QString>

#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

// The kept iCalendar forms of the tasks that repeat, by uid: the imported ones and those the last sync
// agreed on (which win, being newer). Read again only when one of their files changed.
class RepeatingTasks
{
    Q_DECLARE_TR_FUNCTIONS(RepeatingTasks)

public:
    explicit RepeatingTasks(std::filesystem::path taskFile);

    // True when the forms were read again.
    bool refresh();
    // The form of the task with this uid, when it repeats.
    const std::string* formOf(const std::string& uid) const;
    // "Repeats every week on Monday", in the user's language.
    static QString repeatText(const ical::Repeat& repeat);

private:
    using FileStamp = std::pair<std::uintmax_t, std::filesystem::file_time_type>;
    std::vector<FileStamp> stamps() const;

    std::filesystem::path taskFile_;
    std::vector<std::filesystem::path> files_; // the kept forms, the sync state's items
    std::optional<std::vector<FileStamp>> read_;
    std::map<std::string, std::string, std::less<>> forms_;
};
