#include "commands/datacommands.h"
#include "os/tests/filetesting.h"
#include "store/duetext.h"
#include "widgets/tests/dialogtesting.h"

#include <QTest>
#include <QUndoStack>

#include <memory>
#include <random>

// Random runs of every data command, no window: undoing all steps restores the file byte for byte, redoing its end.
class HistoryTest : public QObject
{
    Q_OBJECT

private slots:
    void undoAndRedoEveryStepRestoreTheFileExactly();
    void importUndoRefusesTasksChangedSince();
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

TaskRecord importedTask(std::mt19937& random)
{
    static int uids = 0;
    TaskRecord task = randomTask(random);
    task.uid = "imported-" + std::to_string(++uids);
    return task;
}

// One random command as the windows give it: each pushes its step, which makes the change; only the
// sync removes and saves before its step is recorded.
void anyCommand(CommandContext& context, QUndoStack& history, std::mt19937& random)
{
    Module1& store = context.store;
    const auto slot = static_cast<std::int16_t>(random() % std::max<int>(store.taskCount, 1));
    const TaskRecord before = store.taskList[static_cast<std::size_t>(slot)];
    TaskRecord edited = before;
    const std::vector<AlertRule> rules(store.rules().begin(), store.rules().end());
    std::vector<AlertRule> newRules = rules;
    switch (store.taskCount == 0 ? 0 : random() % 7) {
    case 0:
        return history.push(newTaskStep(context, store.taskCount, randomTask(random)).release());
    case 1:
        edited.title = randomTask(random).title;
        edited.day = static_cast<std::int16_t>(1 + random() % 28);
        return history.push(editStep(context, slot, before, edited).release());
    case 2:
        return history.push((isRecycled(before) ? deleteForGoodStep : recycleStep)(context, slot, before).release());
    case 3:
        return history.push(restoreStep(context, slot, before).release());
    case 4:
        return history.push(importStep(context, {importedTask(random), importedTask(random)}).release());
    case 5: { // a sync removes tasks the server deleted; undo appends them again, so here the last ones
        const auto count = static_cast<std::ptrdiff_t>(1 + random() % std::min<int>(store.taskCount, 3));
        const std::vector<TaskRecord> removed(store.tasks().end() - count, store.tasks().end());
        for (std::ptrdiff_t i = 0; i < count; ++i)
            store.removeTask(static_cast<std::int16_t>(store.taskCount - 1));
        QVERIFY(saveAndReadBack(nullptr, store) == SaveOutcome::Saved);
        return history.push(syncRemovalStep(context, removed, store.taskCount).release());
    }
    default:
        if (!newRules.empty() && random() % 2)
            newRules.erase(newRules.begin() + static_cast<std::ptrdiff_t>(random() % newRules.size()));
        if (newRules.size() < Module1::ruleSlots)
            newRules.push_back({static_cast<std::int16_t>(random() % 30), "d", 0, 0});
        return history.push(ruleTableStep(context, rules, newRules).release());
    }
}

} // namespace

// Any box, a refusal or a failed save, is closed at once by the script and fails the run, naming the
// seed and the message.
void HistoryTest::undoAndRedoEveryStepRestoreTheFileExactly()
{
    const unsigned seed = std::random_device{}();
    std::mt19937 random(seed);
    for (int run = 0; run < 25; ++run) {
        std::filesystem::remove("tasks.txt");
        const auto store = std::make_unique<Module1>();
        for (int i = 0; i < 6; ++i)
            store->taskList[static_cast<std::size_t>(*store->appendEmptyTask())] = randomTask(random);
        const ModalScript boxes;
        const auto context = [&] {
            return "seed " + QByteArray::number(seed) + ' ' + boxes.seen().value(0).text.toUtf8();
        };
        QVERIFY2(store->saveTasks().ok && store->loadTasks().ok, context());
        for (TaskRecord& task : store->tasks())
            (void)dueText(task); // as the window shows them: month 0 becomes 1, the dueKey stays
        QVERIFY2(store->saveTasks().ok, context());
        const std::string start = testsupport::readBytes("tasks.txt");
        CommandContext commands{*store};
        QUndoStack history;
        for (int i = 0; i < 40 && boxes.seen().isEmpty(); ++i)
            anyCommand(commands, history, random);
        QVERIFY2(boxes.seen().isEmpty(), context());
        const std::string end = testsupport::readBytes("tasks.txt");
        const int steps = history.count();
        history.setIndex(0);
        QVERIFY2(boxes.seen().isEmpty() && testsupport::readBytes("tasks.txt") == start, context());
        history.setIndex(steps);
        QVERIFY2(boxes.seen().isEmpty() && testsupport::readBytes("tasks.txt") == end, context());
        QVERIFY2(history.count() == steps, context()); // no step was refused
    }
}

// Another program's change to one imported task, an edit or a removal: undoing the import would throw it away.
void HistoryTest::importUndoRefusesTasksChangedSince()
{
    for (const bool edited : {true, false}) {
        std::filesystem::remove("tasks.txt");
        std::mt19937 random(17);
        Module1 store;
        CommandContext commands{store};
        QUndoStack history;
        history.push(importStep(commands, {importedTask(random), importedTask(random)}).release());
        const auto second = static_cast<std::int16_t>(store.taskCount - 1);
        if (edited)
            store.taskList[static_cast<std::size_t>(second)].description = "Changed elsewhere";
        else
            store.removeTask(second);
        QVERIFY(store.saveTasks().ok);
        const std::string changed = testsupport::readBytes("tasks.txt");

        ModalScript script;
        script.then(clickBoxButton(QMessageBox::Ok));
        history.undo();
        QVERIFY2(script.problems().isEmpty(), qPrintable(script.problems()));
        QVERIFY2(script.seen().value(0).text.startsWith(QStringLiteral("Cannot undo Import")),
                 edited ? "edited" : "gone");
        QVERIFY2(testsupport::readBytes("tasks.txt") == changed && history.count() == 0, edited ? "edited" : "gone");
    }
}

QTEST_MAIN(HistoryTest)
#include "tst_history.moc"
