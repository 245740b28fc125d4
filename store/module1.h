#pragma once

// The task store: both tables, the sort of the task table, and the task file behind them.

#include "os/fileerror.h"
#include "store/records.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>

// Told after a load that worked: the file holds what a save would lose (tasks or rules beyond the
// tables, by the counts, or text in the older encoding), so `backup` receives a copy of `file`
// before the file is next saved.
struct LoadNotice
{
    std::filesystem::path file;
    std::filesystem::path backup;
    bool operator==(const LoadNotice&) const = default;
};

struct LoadReport
{
    bool ok = true;
    std::optional<FileFailure> failure; // why the file could not be read
    int tasksLeftOut = 0;               // task blocks beyond the table's 1001 slots
    int rulesLeftOut = 0;               // rule blocks beyond the table's 101 slots
    bool olderEncoding = false;         // read as Windows-1252
    std::optional<LoadNotice> notice;   // what the user should be told although the load worked
    int uidsRenewed = 0;                // tasks that carried an earlier task's uid and got a new one

    static LoadReport failed(FileFailure why) { return {false, std::move(why), 0, 0, false, {}, 0}; }
};

// The store's own refusal to write over the task file `file`.
struct SaveRefusal
{
    enum class Why {
        LoadFailed,       // the file could not be read, so what it holds is not in the tables
        ChangedElsewhere, // another program changed it since it was read here
    };
    Why why;
    std::filesystem::path file;
    bool operator==(const SaveRefusal&) const = default;
};

// A version of the task file that a conflict's answer kept in a conflict file `file`.
struct KeptVersion
{
    enum class Whose { Yours, Other };
    Whose whose;
    std::filesystem::path file;
    bool operator==(const KeptVersion&) const = default;
};

struct SaveReport
{
    bool ok = true;
    std::optional<FileFailure> failure; // a file that could not be read or written
    std::optional<SaveRefusal> refusal; // or why the store wrote nothing
    // Someone else changed the file since it was read here: nothing was written, and the user
    // chooses which version goes on (Module1::resolveConflict).
    bool conflict = false;
    // Copies kept on the way, for the user to know where they are.
    std::optional<KeptVersion> keptVersion;          // the version not chosen in a conflict
    std::optional<std::filesystem::path> backupKept; // a copy of the previous task file

    static SaveReport failed(FileFailure why) { return {false, std::move(why), {}, false, {}, {}}; }
    static SaveReport refused(SaveRefusal why)
    {
        const bool conflict = why.why == SaveRefusal::Why::ChangedElsewhere;
        return {false, {}, std::move(why), conflict, {}, {}};
    }
};

// The two ways out of a conflict. Either way, the version not chosen is kept in a conflict file.
enum class ConflictChoice { TakeOtherVersion, KeepMyVersion };

// Why the tables may hold what the task file does not.
enum class UnsavedReason : unsigned {
    SaveFailed = 1, // a change whose save failed, or met another version, is still on screen
};

// The list's order as kept in the 16-bit sortKey: the column (0 Title, 1 For, 2 Due), plus 10 when
// descending. Stored values outside these sort nothing.
namespace SortKey {
inline constexpr std::int16_t titleAscending = 0;
inline constexpr std::int16_t forAscending = 1;
inline constexpr std::int16_t dueAscending = 2;
inline constexpr std::int16_t descending = 10;
inline constexpr std::int16_t titleDescending = titleAscending + descending;
inline constexpr std::int16_t forDescending = forAscending + descending;
inline constexpr std::int16_t dueDescending = dueAscending + descending;

enum class Column : std::int16_t { Title = titleAscending, For = forAscending, Due = dueAscending };

// After a click on a column's header: the same column flips its direction, another column keeps
// the current direction.
std::int16_t afterHeaderClick(std::int16_t current, Column column);
} // namespace SortKey

// The tables every window reads, by slot, and the one task file behind them.
class Module1
{
public:
    static constexpr int taskSlots = 1001;
    static constexpr int ruleSlots = 101;

    explicit Module1(std::filesystem::path taskFile = "tasks.txt");

    std::array<TaskRecord, taskSlots> taskList;
    std::array<AlertRule, ruleSlots> ruleList;
    std::int16_t taskCount = 0;
    std::int16_t ruleCount = 0;
    std::int16_t sortKey = SortKey::dueAscending;

    // Sets both counts to 0, then reads the file; slots above the new counts keep what they held.
    // A missing file is an empty store. After a failed read, saving is refused until a load works.
    // Temporary files that interrupted saves left beside the file are removed first.
    [[nodiscard]] LoadReport loadTasks();
    // Writes both tables. Never destroys the old file; refuses after a failed load, and reports a
    // conflict instead of writing when the file on disk is not what was last read or written here.
    [[nodiscard]] SaveReport saveTasks();
    // Whether the file holds something other than what was last read or written here. A missing or
    // unreadable file does not count: it holds nothing a save would lose.
    bool changedOnDisk() const;
    // After a conflict, keeps the version not chosen in a new conflict file, named in keptVersion.
    // KeepMyVersion then writes the tables over the other version; after TakeOtherVersion the
    // caller loads the file.
    [[nodiscard]] SaveReport resolveConflict(ConflictChoice choice);
    // "tasks (conflict 2026-12-08 10-31).txt" beside the task file, from the local time now;
    // numbers from 2 up tell apart conflicts within one minute.
    std::filesystem::path conflictFile(int number = 1) const;
    // The exchange sort by sortKey over slots 0 to taskCount - 1.
    void sortTasks();
    // sortKey becomes due date, earliest first, and the table is sorted by it.
    void sortByDue();

    // The slots in use; a count outside its table is never trusted past the table's ends.
    std::span<TaskRecord> tasks();
    std::span<const TaskRecord> tasks() const;
    std::span<AlertRule> rules();
    std::span<const AlertRule> rules() const;

    // Counts one more task and clears its slot, so nothing of an earlier task comes back in it.
    // Returns the new slot, or nothing when the table is full.
    [[nodiscard]] std::optional<std::int16_t> appendEmptyTask();
    // Moves every later task down one slot and counts one task less; the old last slot keeps
    // its copy of the last task.
    void removeTask(std::int16_t slot);

    // The first slot in use that holds the same task as `task` (sameTask).
    std::optional<std::int16_t> slotOf(const TaskRecord& task) const;
    // The slot in use of the task with this uid; nothing for an empty uid.
    std::optional<std::int16_t> slotOfUid(std::string_view uid) const;
    // Gives every task in use that has no uid a new one; returns how many got one.
    int giveMissingUids();
    // Appends as many of `tasks` as the table has room for, each with its due key; returns how many.
    int appendTasks(std::span<const TaskRecord> tasks);
    // The slot of the same task as `task`: `hint` when it holds it, which tells equal records
    // apart, else the first.
    std::optional<std::int16_t> slotOf(const TaskRecord& task, std::int16_t hint) const;
    // Puts `task` into `slot` (at most taskCount), moving the later tasks up one. False when full.
    bool insertTask(std::int16_t slot, const TaskRecord& task);
    // The rule table becomes `rules`, as far as it fits.
    void replaceRules(std::span<const AlertRule> rules);

    // The tables hold what the file does not, for one reason or more. While they do, nothing may
    // read the file over them. A load or a save that works ends SaveFailed. A save refused because the file could not
    // be read does not count: such a file was never in the tables.
    bool hasUnsavedChanges() const { return unsaved_ != 0; }
    bool hasUnsavedChanges(UnsavedReason why) const { return (unsaved_ & static_cast<unsigned>(why)) != 0; }
    void markUnsaved(UnsavedReason why);
    void clearUnsaved(UnsavedReason why);
    // Tells `listener` each time a reason ends; hasUnsavedChanges() says whether another still holds.
    // It is called from inside the store's own calls, so it should only schedule what follows. The
    // id removes it again.
    int onUnsavedCleared(std::function<void()> listener);
    void removeUnsavedListener(int id);
    // Tells `listener` after each save that wrote the task file, from inside the save as above.
    int onSaved(std::function<void()> listener);
    void removeSavedListener(int id);

    bool taskTableFull() const { return taskCount >= taskSlots; }
    bool ruleTableFull() const { return ruleCount >= ruleSlots; }
    const std::filesystem::path& taskFile() const { return taskFile_; }
    std::filesystem::path backupFile() const;

private:
    // What the file held, by size and content hash. Times and inodes are not used: every
    // rename-replace (ours too) gives a new inode, network folders keep coarse times and sync tools
    // restore them, and only a change of content can be lost.
    struct FileIdentity
    {
        std::size_t size = 0;
        std::size_t hash = 0;
        bool operator==(const FileIdentity&) const = default;
    };
    static FileIdentity identityOf(std::string_view bytes);
    SaveReport writeTables();
    SaveReport keepInConflictFile(std::string_view bytes, KeptVersion::Whose whose) const;
    int listen(std::map<int, std::function<void()>>& listeners, std::function<void()> listener);
    static void tell(const std::map<int, std::function<void()>>& listeners);

    std::filesystem::path taskFile_;
    std::optional<FileIdentity> known_; // the file as last read or written here; nothing when missing
    bool loadFailed_ = false;
    bool backupBeforeSave_ = false; // the file on disk holds what the next save would lose
    unsigned unsaved_ = 0;          // UnsavedReason bits
    std::map<int, std::function<void()>> unsavedListeners_;
    std::map<int, std::function<void()>> savedListeners_;
    int nextListener_ = 0;
};
