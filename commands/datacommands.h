#pragma once

#include "commands/storereports.h"
#include "store/module1.h"

#include <QUndoCommand>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QWidget;

// What the data commands change, where they tell the user, and who redraws after an undo or redo.
struct CommandContext
{
    Module1& store;
    QWidget* window = nullptr; // the parent of every message
    // The tables changed under an undo or a redo; `task` is the record the step left, if any.
    std::function<void(const std::optional<TaskRecord>& task)> changed = {};
    // How the last step's save ended; nothing when the step was refused.
    std::optional<SaveOutcome> lastSave = {};
};

// A change of the user's data as one step of the history. Done, undone and redone through the
// store, and each time saved (asking about another program's version) and read back like any
// change. A step that no longer finds exactly what it left, or would act on, is refused with a
// message, changes nothing and drops out of the history.
class DataCommand : public QUndoCommand
{
public:
    void redo() override;
    void undo() override;

protected:
    DataCommand(CommandContext& context, const QString& text);
    // Changes the tables forward or back; false, having changed nothing, when the step cannot.
    virtual bool change(Module1& store, bool forward) = 0;
    // The task the step leaves, to select afterwards.
    virtual std::optional<TaskRecord> taskAfter(bool forward) const = 0;
    // The change was made and saved before the step was pushed: the push only records it.
    virtual bool madeBeforePush() const { return false; }

private:
    void step(bool forward);
    void refuse(bool forward, bool first);

    CommandContext& context_;
    bool pushed_ = false;
};

// One task's record from `before` to `after`: a new task has none before, a task deleted for good
// none after. The task is found by its whole record, so an edit never acts on another task; `slot`
// tells equal records apart and is where a task comes back. Several of them under one save make
// one step of many tasks.
struct TaskEdit
{
    std::int16_t slot;
    std::optional<TaskRecord> before;
    std::optional<TaskRecord> after;
};
// Makes the edit in the tables, forward or back; false, having changed nothing, when the record
// to change is not there exactly or the table is full.
bool applyTaskEdit(Module1& store, TaskEdit& edit, bool forward);

// A step of one task or of several, all or nothing.
class TaskChange : public DataCommand
{
public:
    TaskChange(CommandContext& context, const QString& text, std::vector<TaskEdit> edits);

protected:
    bool change(Module1& store, bool forward) override;
    std::optional<TaskRecord> taskAfter(bool forward) const override;

private:
    std::vector<TaskEdit> edits_;
};

// The whole rule table, from before the rule editor opened to after its Ok.
class RuleTableChange : public DataCommand
{
public:
    RuleTableChange(CommandContext& context, std::vector<AlertRule> before, std::vector<AlertRule> after);

protected:
    bool change(Module1& store, bool forward) override;
    std::optional<TaskRecord> taskAfter(bool) const override { return std::nullopt; }

private:
    std::vector<AlertRule> before_;
    std::vector<AlertRule> after_;
};

// Tasks brought in from outside, all under one save, known by their uids: undo removes exactly
// them, as long as none was changed since, and redo appends them again. Their kept forms stay: a form nobody's uid
// names is never used.
class TaskImport : public DataCommand
{
public:
    TaskImport(CommandContext& context, std::vector<TaskRecord> tasks);

protected:
    bool change(Module1& store, bool forward) override;
    std::optional<TaskRecord> taskAfter(bool) const override { return std::nullopt; }

private:
    bool append(Module1& store) const;
    bool remove(Module1& store) const;

    std::vector<TaskRecord> tasks_;
};

// The steps of the windows' commands, named as the Edit menu shows them.
std::unique_ptr<DataCommand> newTaskStep(CommandContext& context, std::int16_t slot, const TaskRecord& task);
std::unique_ptr<DataCommand> editStep(CommandContext& context, std::int16_t slot, const TaskRecord& before,
                                      const TaskRecord& after);
std::unique_ptr<DataCommand> recycleStep(CommandContext& context, std::int16_t slot, const TaskRecord& task);
// A repeating task done for this time: `next` is the same task due at its next occurrence.
std::unique_ptr<DataCommand> doneOnceStep(CommandContext& context, std::int16_t slot, const TaskRecord& task,
                                          const TaskRecord& next);
std::unique_ptr<DataCommand> restoreStep(CommandContext& context, std::int16_t slot, const TaskRecord& task);
std::unique_ptr<DataCommand> deleteForGoodStep(CommandContext& context, std::int16_t slot, const TaskRecord& task);
std::unique_ptr<DataCommand> importStep(CommandContext& context, std::vector<TaskRecord> tasks);
// Tasks the sync removed here, and saved, because they were deleted on the server: the push only
// records it. Undo puts them back at `slot` (or at the end, when the table is shorter by then).
std::unique_ptr<DataCommand> syncRemovalStep(CommandContext& context, const std::vector<TaskRecord>& removed,
                                             std::int16_t slot);
std::unique_ptr<DataCommand> ruleTableStep(CommandContext& context, std::vector<AlertRule> before,
                                           std::vector<AlertRule> after);
