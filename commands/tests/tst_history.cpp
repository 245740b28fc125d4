#include "commands/datacommands.h"
#include "os/tests/filetesting.h"
#include "store/duetext.h"

#include <QTest>
#include <QUndoStack>

#include <functional>
#include <memory>
#include <random>

// Random runs of every data command, no window: undoing all steps restores the file byte for byte, redoing its end.
class HistoryTest : public QObject
{
    Q_OBJECT

private slots:
    void undoAndRedoEveryStepRestoreTheFileExactly();
};

namespace {

// A few titles, so that equal records are common and steps must tell them apart.
TaskRecord randomTask(std::mt19937& random)
{
    TaskRecord task;
    task.title = "Task " + std::to_string(random() % 4);
    task.month = static_cast<std::int16_t>(random() % 13); // 0: never set
    task.day = static_cast<std::int16_t>(1 + random() % 28);
    task.deleted = random() % 3 ? "N" : "Y";
    return task;
}

// One random command as the windows give it: the dialogs change and save the tables before their
// step is recorded; the delete commands push theirs, which makes the change.
void anyCommand(CommandContext& context, QUndoStack& history, std::mt19937& random)
{
    Module1& store = context.store;
    const auto slot = static_cast<std::int16_t>(random() % std::max<int>(store.taskCount, 1));
    TaskRecord& chosen = store.taskList[static_cast<std::size_t>(slot)];
    const TaskRecord before = chosen;
    const auto recordSaved = [&](const std::function<std::unique_ptr<DataCommand>()>& step) {
        QVERIFY(saveAndReadBack(nullptr, store) == SaveOutcome::Saved);
        std::unique_ptr<DataCommand> made = step();
        made->markDone();
        history.push(made.release());
    };
    const std::vector<AlertRule> rules(store.rules().begin(), store.rules().end());
    switch (store.taskCount == 0 ? 0 : random() % 6) {
    case 0: {
        const auto added = static_cast<std::size_t>(*store.appendEmptyTask());
        store.taskList[added] = randomTask(random);
        return recordSaved(
            [&] { return newTaskStep(context, static_cast<std::int16_t>(added), store.taskList[added]); });
    }
    case 1:
        chosen.title = randomTask(random).title;
        chosen.day = static_cast<std::int16_t>(1 + random() % 28);
        return recordSaved([&] { return editStep(context, slot, before, chosen); });
    case 2:
        return history.push((isRecycled(before) ? deleteForGoodStep : recycleStep)(context, slot, before).release());
    case 3:
        return history.push(restoreStep(context, slot, before).release());
    case 5: { // a sync removes tasks the server deleted; undo appends them again, so here the last ones
        const auto count = static_cast<std::ptrdiff_t>(1 + random() % std::min<int>(store.taskCount, 3));
        const std::vector<TaskRecord> removed(store.tasks().end() - count, store.tasks().end());
        for (std::ptrdiff_t i = 0; i < count; ++i)
            store.removeTask(static_cast<std::int16_t>(store.taskCount - 1));
        return recordSaved([&] { return syncRemovalStep(context, removed, store.taskCount); });
    }
    default:
        if (store.ruleCount > 0 && random() % 2)
            store.removeRule(static_cast<std::int16_t>(random() % store.ruleCount));
        if (const std::optional<std::int16_t> added = store.appendNewRule())
            store.ruleList[static_cast<std::size_t>(*added)].value = static_cast<std::int16_t>(random() % 30);
        return recordSaved([&] { return ruleTableStep(context, rules, {store.rules().begin(), store.rules().end()}); });
    }
}

} // namespace

void HistoryTest::undoAndRedoEveryStepRestoreTheFileExactly()
{
    const unsigned seed = std::random_device{}();
    const QByteArray context = "seed " + QByteArray::number(seed);
    std::mt19937 random(seed);
    for (int run = 0; run < 25; ++run) {
        std::filesystem::remove("tasks.txt");
        const auto store = std::make_unique<Module1>();
        for (int i = 0; i < 6; ++i)
            store->taskList[static_cast<std::size_t>(*store->appendEmptyTask())] = randomTask(random);
        QVERIFY2(store->saveTasks().ok && store->loadTasks().ok, context);
        for (TaskRecord& task : store->tasks())
            (void)dueText(task); // as the window shows them: month 0 becomes 1, the dueKey stays
        QVERIFY2(store->saveTasks().ok, context);
        const std::string start = testsupport::readBytes("tasks.txt");
        CommandContext commands{*store};
        QUndoStack history;
        for (int i = 0; i < 40; ++i)
            anyCommand(commands, history, random);
        const std::string end = testsupport::readBytes("tasks.txt");
        const int steps = history.count();
        history.setIndex(0);
        QVERIFY2(testsupport::readBytes("tasks.txt") == start, context);
        history.setIndex(steps);
        QVERIFY2(testsupport::readBytes("tasks.txt") == end, context);
        QVERIFY2(history.count() == steps, context); // no step was refused
    }
}

QTEST_MAIN(HistoryTest)
#include "tst_history.moc"
