#include "commands/datacommands.h"

#include "commands/messages.h"

#include <QCoreApplication>

#include <algorithm>
#include <functional>
#include <utility>

namespace {

// The context the translators find these texts in.
struct DataCommands
{
    Q_DECLARE_TR_FUNCTIONS(DataCommands)
};

QString titleOf(const TaskRecord& task)
{
    return QString::fromStdString(task.title);
}

TaskRecord markedDeleted(TaskRecord task, const char* mark)
{
    task.deleted = mark;
    return task;
}

class SyncRemoval final : public TaskChange
{
public:
    using TaskChange::TaskChange;

protected:
    bool madeBeforePush() const override { return true; }
};

} // namespace

DataCommand::DataCommand(CommandContext& context, const QString& text) : QUndoCommand(text), context_(context) {}

void DataCommand::redo()
{
    step(true);
}

void DataCommand::undo()
{
    step(false);
}

void DataCommand::step(bool forward)
{
    const bool first = !pushed_;
    pushed_ = true;
    if (first && madeBeforePush())
        return;
    context_.lastSave.reset();
    if (!change(context_.store, forward)) {
        refuse(forward, first);
        setObsolete(true);
        return;
    }
    // Taking the other version left this step's change in a conflict file only: nothing to undo.
    context_.lastSave = saveAndReadBack(context_.window, context_.store);
    if (context_.lastSave == SaveOutcome::OtherVersionTaken)
        setObsolete(true);
    // The command that pushed the step redraws as it always has.
    if (!first && context_.changed)
        context_.changed(taskAfter(forward));
}

void DataCommand::refuse(bool forward, bool first)
{
    const QString reason = DataCommands::tr("The task file was changed since, and what this step acts on is no longer "
                                            "there as it was.\nNothing was changed; the step is dropped.");
    QString what = DataCommands::tr("Cannot redo %1:").arg(text());
    if (first)
        what = DataCommands::tr("Cannot carry out %1:").arg(text());
    else if (!forward)
        what = DataCommands::tr("Cannot undo %1:").arg(text());
    showFileError(context_.window, what + u'\n' + reason);
}

bool applyTaskEdit(Module1& store, TaskEdit& edit, bool forward)
{
    const std::optional<TaskRecord>& from = forward ? edit.before : edit.after;
    const std::optional<TaskRecord>& to = forward ? edit.after : edit.before;
    if (!from) {
        // A slot past the end, where the table has shrunk since, puts the task at the end.
        edit.slot = std::min(edit.slot, store.taskCount);
        return to && store.insertTask(edit.slot, *to);
    }
    const std::optional<std::int16_t> slot = store.slotOf(*from, edit.slot);
    if (!slot)
        return false;
    edit.slot = *slot;
    if (to)
        store.taskList[static_cast<std::size_t>(*slot)] = *to;
    else
        store.removeTask(*slot);
    return true;
}

TaskChange::TaskChange(CommandContext& context, const QString& text, std::vector<TaskEdit> edits)
    : DataCommand(context, text), edits_(std::move(edits))
{
}

// Undone from the last edit back, so that each finds the table as it left it.
bool TaskChange::change(Module1& store, bool forward)
{
    const auto nth = [this, forward](std::size_t index) -> TaskEdit& {
        return edits_[forward ? index : edits_.size() - 1 - index];
    };
    std::size_t applied = 0;
    while (applied < edits_.size() && applyTaskEdit(store, nth(applied), forward))
        ++applied;
    if (applied == edits_.size())
        return true;
    while (applied > 0)
        applyTaskEdit(store, nth(--applied), !forward);
    return false;
}

std::optional<TaskRecord> TaskChange::taskAfter(bool forward) const
{
    if (edits_.size() != 1)
        return std::nullopt;
    return forward ? edits_.front().after : edits_.front().before;
}

RuleTableChange::RuleTableChange(CommandContext& context, std::vector<AlertRule> before, std::vector<AlertRule> after)
    : DataCommand(context, DataCommands::tr("Colors And Alerts")), before_(std::move(before)), after_(std::move(after))
{
}

bool RuleTableChange::change(Module1& store, bool forward)
{
    const std::vector<AlertRule>& from = forward ? before_ : after_;
    if (!std::ranges::equal(store.rules(), from))
        return false;
    store.replaceRules(forward ? after_ : before_);
    return true;
}

TaskImport::TaskImport(CommandContext& context, std::vector<TaskRecord> tasks)
    : DataCommand(context, DataCommands::tr("Import %n Task(s)", nullptr, static_cast<int>(tasks.size()))),
      tasks_(std::move(tasks))
{
}

bool TaskImport::change(Module1& store, bool forward)
{
    return forward ? append(store) : remove(store);
}

bool TaskImport::append(Module1& store) const
{
    const auto room = static_cast<std::size_t>(Module1::taskSlots - store.taskCount);
    if (tasks_.size() > room ||
        std::ranges::any_of(tasks_, [&store](const TaskRecord& task) { return store.slotOfUid(task.uid).has_value(); }))
        return false;
    store.appendTasks(tasks_);
    return true;
}

// Only when every imported task is still there as the import left it: found by its uid, which no
// other task shares, and unchanged, so that an edit made since is never thrown away.
bool TaskImport::remove(Module1& store) const
{
    std::vector<std::int16_t> taken;
    for (const TaskRecord& task : tasks_) {
        const std::optional<std::int16_t> slot = store.slotOfUid(task.uid);
        if (!slot || !sameTask(store.taskList[static_cast<std::size_t>(*slot)], task))
            return false;
        taken.push_back(*slot);
    }
    // From the last slot down, so that each removal leaves the taken still to remove where they are.
    std::ranges::sort(taken, std::greater{});
    for (const std::int16_t slot : taken)
        store.removeTask(slot);
    return true;
}

std::unique_ptr<DataCommand> newTaskStep(CommandContext& context, std::int16_t slot, const TaskRecord& task)
{
    return std::make_unique<TaskChange>(context, DataCommands::tr("New Task “%1”").arg(titleOf(task)),
                                        std::vector{TaskEdit{slot, std::nullopt, task}});
}

std::unique_ptr<DataCommand> editStep(CommandContext& context, std::int16_t slot, const TaskRecord& before,
                                      const TaskRecord& after)
{
    return std::make_unique<TaskChange>(context, DataCommands::tr("Edit “%1”").arg(titleOf(after)),
                                        std::vector{TaskEdit{slot, before, after}});
}

std::unique_ptr<DataCommand> recycleStep(CommandContext& context, std::int16_t slot, const TaskRecord& task)
{
    return std::make_unique<TaskChange>(context, DataCommands::tr("Delete “%1”").arg(titleOf(task)),
                                        std::vector{TaskEdit{slot, task, markedDeleted(task, recycledMark)}});
}

std::unique_ptr<DataCommand> doneOnceStep(CommandContext& context, std::int16_t slot, const TaskRecord& task,
                                          const TaskRecord& next)
{
    return std::make_unique<TaskChange>(context, DataCommands::tr("Done for This Time “%1”").arg(titleOf(task)),
                                        std::vector{TaskEdit{slot, task, next}});
}

std::unique_ptr<DataCommand> restoreStep(CommandContext& context, std::int16_t slot, const TaskRecord& task)
{
    return std::make_unique<TaskChange>(context, DataCommands::tr("Un-Delete “%1”").arg(titleOf(task)),
                                        std::vector{TaskEdit{slot, task, markedDeleted(task, restoredMark)}});
}

std::unique_ptr<DataCommand> deleteForGoodStep(CommandContext& context, std::int16_t slot, const TaskRecord& task)
{
    return std::make_unique<TaskChange>(context, DataCommands::tr("Delete “%1” Permanently").arg(titleOf(task)),
                                        std::vector{TaskEdit{slot, task, std::nullopt}});
}

std::unique_ptr<DataCommand> importStep(CommandContext& context, std::vector<TaskRecord> tasks)
{
    return std::make_unique<TaskImport>(context, std::move(tasks));
}

std::unique_ptr<DataCommand> syncRemovalStep(CommandContext& context, const std::vector<TaskRecord>& removed,
                                             std::int16_t slot)
{
    std::vector<TaskEdit> edits;
    for (const TaskRecord& task : removed)
        edits.push_back({slot, task, std::nullopt});
    return std::make_unique<SyncRemoval>(
        context, DataCommands::tr("Sync Removal of %n Task(s)", nullptr, static_cast<int>(removed.size())),
        std::move(edits));
}

std::unique_ptr<DataCommand> ruleTableStep(CommandContext& context, std::vector<AlertRule> before,
                                           std::vector<AlertRule> after)
{
    return std::make_unique<RuleTableChange>(context, std::move(before), std::move(after));
}
