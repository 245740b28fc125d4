#include "store/module1.h"

#include "os/atomicfile.h"
#include "store/calendar.h"
#include "store/duetext.h"
#include "store/taskfile.h"
#include "store/textcodec.h"
#include "store/uuid.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <numeric>
#include <utility>
#include <vector>

namespace {

// Far beyond any real task file; a larger one is refused rather than exhausting memory.
constexpr std::size_t largestTaskFile = std::size_t{256} << 20;

// A copy of the task file must be no more readable than the file itself.
mode_t permissionsOf(const std::filesystem::path& file)
{
    std::error_code ec;
    const std::filesystem::perms perms = std::filesystem::status(file, ec).permissions();
    return ec ? 0666 : static_cast<mode_t>(perms & std::filesystem::perms::mask);
}

// How one sortKey orders the table: the text it compares, and whether it is descending.
struct SortOrder
{
    std::function<std::string(const TaskRecord&)> key;
    bool descending;
};

std::optional<SortOrder> sortOrderFor(std::int16_t sortKey)
{
    const auto lowerTitle = [](const TaskRecord& t) { return lowerCase(t.title); };
    const auto lowerFor = [](const TaskRecord& t) { return lowerCase(t.forWhom); };
    const auto title = [](const TaskRecord& t) { return t.title; };
    const auto forWhom = [](const TaskRecord& t) { return t.forWhom; };
    // Above every key of digits: tasks without a due date come after the dated ones.
    const auto due = [](const TaskRecord& t) { return hasDueDate(t) ? t.dueKey : std::string("~"); };
    switch (sortKey) {
    case SortKey::titleAscending:
        return SortOrder{lowerTitle, false};
    case SortKey::forAscending:
        return SortOrder{lowerFor, false};
    case SortKey::dueAscending:
        return SortOrder{due, false};
    case SortKey::titleDescending:
        return SortOrder{title, true};
    case SortKey::forDescending:
        return SortOrder{forWhom, true};
    case SortKey::dueDescending:
        return SortOrder{due, true};
    default:
        return std::nullopt;
    }
}

// Each task's key as its rank among the distinct keys, counted in the direction of the order:
// the half-million comparisons of a full table's sort then compare integers, not texts.
std::vector<int> keyRanks(std::span<const TaskRecord> tasks, const SortOrder& order)
{
    std::vector<std::string> keys;
    keys.reserve(tasks.size());
    for (const TaskRecord& task : tasks)
        keys.push_back(order.key(task));
    std::vector<std::string> distinct = keys;
    std::sort(distinct.begin(), distinct.end());
    distinct.erase(std::unique(distinct.begin(), distinct.end()), distinct.end());
    std::vector<int> ranks;
    ranks.reserve(keys.size());
    for (const std::string& key : keys) {
        const auto rank = static_cast<int>(std::lower_bound(distinct.begin(), distinct.end(), key) - distinct.begin());
        ranks.push_back(order.descending ? -rank : rank);
    }
    return ranks;
}

} // namespace

std::int16_t SortKey::afterHeaderClick(std::int16_t current, Column column)
{
    const auto ascending = static_cast<std::int16_t>(column);
    const auto descendingKey = static_cast<std::int16_t>(ascending + descending);
    if (current == ascending)
        return descendingKey;
    if (current == descendingKey)
        return ascending;
    // Stored keys from 9 up count as descending, the way the header has always read them.
    return current >= descending - 1 ? descendingKey : ascending;
}

Module1::Module1(std::filesystem::path taskFile) : taskFile_(std::move(taskFile)) {}

std::filesystem::path Module1::backupFile() const
{
    std::filesystem::path backup = taskFile_;
    backup += ".bak";
    return backup;
}

LoadReport Module1::loadTasks()
{
    taskCount = 0;
    ruleCount = 0;
    removeStaleTemporaries(taskFile_);
    const FileContent content = readWholeFile(taskFile_, largestTaskFile);
    known_ = content.bytes ? std::optional(identityOf(*content.bytes)) : std::nullopt;
    loadFailed_ = content.failure.has_value();
    // Whatever the tables held is gone now, read or not.
    clearUnsaved(UnsavedReason::SaveFailed);
    if (loadFailed_)
        return LoadReport::failed(*content.failure);
    if (!content.bytes) {
        backupBeforeSave_ = false;
        return {};
    }
    LoadReport report = readTaskFileText(*content.bytes, *this);
    backupBeforeSave_ = report.olderEncoding || report.tasksLeftOut > 0 || report.rulesLeftOut > 0;
    if (backupBeforeSave_)
        report.notice = LoadNotice{taskFile_, backupFile()};
    return report;
}

SaveReport Module1::saveTasks()
{
    SaveReport report = writeTables();
    if (report.ok) {
        clearUnsaved(UnsavedReason::SaveFailed);
        tell(savedListeners_);
    } else if (!report.refusal || report.refusal->why != SaveRefusal::Why::LoadFailed)
        markUnsaved(UnsavedReason::SaveFailed);
    return report;
}

SaveReport Module1::writeTables()
{
    if (loadFailed_)
        return SaveReport::refused({SaveRefusal::Why::LoadFailed, taskFile_});
    // The rename would replace the file whatever its own permissions say; a read-only file is the
    // user's way of saying it is not to be changed.
    if (isReadOnlyForUser(taskFile_))
        return SaveReport::failed({FileAction::WriteFile, taskFile_, {FailureReason::Kind::ReadOnly}});
    if (changedOnDisk())
        return SaveReport::refused({SaveRefusal::Why::ChangedElsewhere, taskFile_});
    SaveReport report;
    if (backupBeforeSave_) {
        const FileContent old = readWholeFile(taskFile_, largestTaskFile);
        if (old.failure)
            return SaveReport::failed(*old.failure);
        if (old.bytes) {
            if (auto failure = writeFileAtomically(backupFile(), *old.bytes, permissionsOf(taskFile_)))
                return SaveReport::failed(*failure);
            report.backupKept = backupFile();
        }
    }
    const std::string text = taskFileText(*this);
    if (auto failure = writeFileAtomically(taskFile_, text))
        return SaveReport::failed(*failure);
    known_ = identityOf(text);
    backupBeforeSave_ = false;
    return report;
}

Module1::FileIdentity Module1::identityOf(std::string_view bytes)
{
    return {bytes.size(), std::hash<std::string_view>{}(bytes)};
}

bool Module1::changedOnDisk() const
{
    const FileContent now = readWholeFile(taskFile_, largestTaskFile);
    return now.bytes && identityOf(*now.bytes) != known_;
}

std::filesystem::path Module1::conflictFile(int number) const
{
    const LocalTime moment = now();
    const CivilDate date = civilDate(moment.day);
    const auto minutes = static_cast<int>(moment.millisecond / 60000);
    char stamp[64];
    std::snprintf(stamp, sizeof stamp, "%04lld-%02d-%02d %02d-%02d", static_cast<long long>(date.year), date.month,
                  date.day, minutes / 60, minutes % 60);
    std::string name = taskFile_.stem().string() + " (conflict " + stamp;
    if (number > 1)
        name += " " + std::to_string(number);
    name += ")" + taskFile_.extension().string();
    return taskFile_.parent_path() / name;
}

SaveReport Module1::keepInConflictFile(std::string_view bytes, KeptVersion::Whose whose) const
{
    const auto taken = [](const std::filesystem::path& file) {
        std::error_code ec;
        return std::filesystem::exists(std::filesystem::symlink_status(file, ec));
    };
    std::filesystem::path file;
    for (int number = 1; number <= 100; ++number) {
        file = conflictFile(number);
        if (taken(file))
            continue;
        const std::optional<FileFailure> failure = writeNewFile(file, bytes, permissionsOf(taskFile_));
        if (!failure) {
            SaveReport kept;
            kept.keptVersion = KeptVersion{whose, file};
            return kept;
        }
        if (!taken(file)) // else made by someone else meanwhile: the next name is tried
            return SaveReport::failed(*failure);
    }
    return SaveReport::failed({FileAction::WriteFile, file, {FailureReason::Kind::NameTaken}});
}

SaveReport Module1::resolveConflict(ConflictChoice choice)
{
    if (choice == ConflictChoice::TakeOtherVersion)
        return keepInConflictFile(taskFileText(*this), KeptVersion::Whose::Yours);
    const FileContent other = readWholeFile(taskFile_, largestTaskFile);
    if (other.failure)
        return SaveReport::failed(*other.failure);
    SaveReport kept;
    if (other.bytes) {
        kept = keepInConflictFile(*other.bytes, KeptVersion::Whose::Other);
        if (!kept.ok)
            return kept;
        known_ = identityOf(*other.bytes);
    }
    SaveReport saved = saveTasks();
    if (saved.ok)
        saved.keptVersion = kept.keptVersion;
    return saved;
}

std::span<TaskRecord> Module1::tasks()
{
    return std::span(taskList).first(static_cast<std::size_t>(std::clamp<int>(taskCount, 0, taskSlots)));
}

std::span<const TaskRecord> Module1::tasks() const
{
    return std::span(taskList).first(static_cast<std::size_t>(std::clamp<int>(taskCount, 0, taskSlots)));
}

std::span<AlertRule> Module1::rules()
{
    return std::span(ruleList).first(static_cast<std::size_t>(std::clamp<int>(ruleCount, 0, ruleSlots)));
}

std::span<const AlertRule> Module1::rules() const
{
    return std::span(ruleList).first(static_cast<std::size_t>(std::clamp<int>(ruleCount, 0, ruleSlots)));
}

std::optional<std::int16_t> Module1::appendEmptyTask()
{
    if (taskTableFull())
        return std::nullopt;
    const std::int16_t slot = taskCount++;
    taskList[static_cast<std::size_t>(slot)] = TaskRecord{};
    return slot;
}

namespace {

// Closes the gap at `slot`; the old last slot keeps its copy of the last record.
template <typename Record> bool closeGap(std::span<Record> used, std::int16_t slot)
{
    if (slot < 0 || static_cast<std::size_t>(slot) >= used.size())
        return false;
    std::copy(used.begin() + slot + 1, used.end(), used.begin() + slot);
    return true;
}

} // namespace

void Module1::removeTask(std::int16_t slot)
{
    if (closeGap(tasks(), slot))
        --taskCount;
}

std::optional<std::int16_t> Module1::slotOf(const TaskRecord& task) const
{
    const auto used = tasks();
    const auto found = std::ranges::find_if(used, [&task](const TaskRecord& t) { return sameTask(t, task); });
    if (found == used.end())
        return std::nullopt;
    return static_cast<std::int16_t>(found - used.begin());
}

std::optional<std::int16_t> Module1::slotOfUid(std::string_view uid) const
{
    if (uid.empty())
        return std::nullopt;
    const auto used = tasks();
    const auto found = std::find_if(used.begin(), used.end(), [uid](const TaskRecord& t) { return t.uid == uid; });
    if (found == used.end())
        return std::nullopt;
    return static_cast<std::int16_t>(found - used.begin());
}

int Module1::giveMissingUids()
{
    int given = 0;
    for (TaskRecord& task : tasks()) {
        if (task.uid.empty()) {
            task.uid = newUuid();
            ++given;
        }
    }
    return given;
}

int Module1::appendTasks(std::span<const TaskRecord> added)
{
    int appended = 0;
    for (const TaskRecord& task : added) {
        const std::optional<std::int16_t> slot = appendEmptyTask();
        if (!slot)
            break;
        TaskRecord& record = taskList[static_cast<std::size_t>(*slot)];
        record = task;
        record.dueKey = dueKey(record);
        ++appended;
    }
    return appended;
}

std::optional<std::int16_t> Module1::slotOf(const TaskRecord& task, std::int16_t hint) const
{
    if (hint >= 0 && hint < static_cast<int>(tasks().size()) &&
        sameTask(taskList[static_cast<std::size_t>(hint)], task))
        return hint;
    return slotOf(task);
}

bool Module1::insertTask(std::int16_t slot, const TaskRecord& task)
{
    if (taskTableFull())
        return false;
    const std::span<TaskRecord> used = tasks();
    const auto at = std::clamp<std::ptrdiff_t>(slot, 0, static_cast<std::ptrdiff_t>(used.size()));
    ++taskCount;
    const std::span<TaskRecord> grown = tasks();
    std::move_backward(grown.begin() + at, grown.end() - 1, grown.end());
    grown[static_cast<std::size_t>(at)] = task;
    return true;
}

void Module1::replaceRules(std::span<const AlertRule> rules)
{
    const std::size_t kept = std::min(rules.size(), ruleList.size());
    std::copy_n(rules.begin(), kept, ruleList.begin());
    ruleCount = static_cast<std::int16_t>(kept);
}

void Module1::markUnsaved(UnsavedReason why)
{
    unsaved_ |= static_cast<unsigned>(why);
}

void Module1::clearUnsaved(UnsavedReason why)
{
    if (!hasUnsavedChanges(why))
        return;
    unsaved_ &= ~static_cast<unsigned>(why);
    tell(unsavedListeners_);
}

void Module1::tell(const std::map<int, std::function<void()>>& listeners)
{
    // A copy: a listener may remove itself.
    const auto called = listeners;
    for (const auto& [id, listener] : called)
        listener();
}

int Module1::listen(std::map<int, std::function<void()>>& listeners, std::function<void()> listener)
{
    const int id = nextListener_++;
    listeners.emplace(id, std::move(listener));
    return id;
}

int Module1::onUnsavedCleared(std::function<void()> listener)
{
    return listen(unsavedListeners_, std::move(listener));
}

void Module1::removeUnsavedListener(int id)
{
    unsavedListeners_.erase(id);
}

int Module1::onSaved(std::function<void()> listener)
{
    return listen(savedListeners_, std::move(listener));
}

void Module1::removeSavedListener(int id)
{
    savedListeners_.erase(id);
}

void Module1::sortByDue()
{
    sortKey = SortKey::dueAscending;
    sortTasks();
}

void Module1::sortTasks()
{
    const std::optional<SortOrder> order = sortOrderFor(sortKey);
    if (!order)
        return;
    const std::span<TaskRecord> used = tasks();
    std::vector<int> ranks = keyRanks(used, *order);
    // The file keeps the order the list was last shown in, so a load mostly finds nothing to move.
    if (std::is_sorted(ranks.begin(), ranks.end()))
        return;
    // The exchanges are made on slot numbers and the records moved once at the end; where equal
    // keys end up is exactly where exchanging the records themselves would put them.
    std::vector<std::size_t> from(used.size());
    std::iota(from.begin(), from.end(), std::size_t{0});
    for (std::size_t j = 0; j + 1 < used.size(); ++j) {
        for (std::size_t i = j; i < used.size(); ++i) {
            if (ranks[i] < ranks[j]) {
                std::swap(from[i], from[j]);
                std::swap(ranks[i], ranks[j]);
            }
        }
    }
    std::vector<TaskRecord> sorted;
    sorted.reserve(used.size());
    for (const std::size_t slot : from)
        sorted.push_back(std::move(used[slot]));
    std::move(sorted.begin(), sorted.end(), used.begin());
}
