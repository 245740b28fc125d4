#pragma once

#include "os/fileerror.h"

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace ical {

// The last iCalendar form of every task that came from outside, by uid, so that what Taskwyn does
// not show (repeat rules, alarms, categories, time zones, other programs' properties) goes out
// again with the task. An import keeps the form a task came in with, a sync the form both sides
// agreed on; every export and upload starts from it. Kept in one private file, an iCalendar stream
// of one VCALENDAR per task.
class KeptForms
{
public:
    // "$XDG_STATE_HOME/taskwyn/icalendar-forms.ics".
    static std::filesystem::path defaultFile();

    explicit KeptForms(std::filesystem::path file = defaultFile());

    // Reads the file; a missing file keeps nothing. On failure the forms held are left as they were.
    [[nodiscard]] std::optional<FileFailure> load();
    // Writes every form, atomically, readable by the user alone.
    [[nodiscard]] std::optional<FileFailure> save() const;

    // Reads the file again, puts `forms` and writes it, so that forms another run kept meanwhile stay.
    // On failure the forms held are as they were before.
    [[nodiscard]] std::optional<FileFailure> add(const std::vector<std::pair<std::string, std::string>>& forms);

    const std::string* find(std::string_view uid) const;
    void put(const std::string& uid, std::string calendar);
    std::size_t size() const { return forms_.size(); }
    const std::map<std::string, std::string, std::less<>>& forms() const { return forms_; }
    const std::filesystem::path& file() const { return file_; }

private:
    std::filesystem::path file_;
    std::map<std::string, std::string, std::less<>> forms_;
};

} // namespace ical
