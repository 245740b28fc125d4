#include "commands/datacommands.h"
#include "os/tests/filetesting.h"
#include "store/tests/filledstore.h"

#include <QTest>
#include <QUndoStack>

#include <memory>
#include <random>

// Random runs of every data command through the store and the history, no window: undoing every
// step gives back the file as it began, byte for byte, and redoing every step the file as it ended.
class HistoryTest : public QObject
{
    Q_OBJECT

private slots:
    void undoAndRedoEveryStepRestoreTheFileExactly();
};

namespace {

constexpr int runs = 25;
constexpr int stepsPerRun = 40;

// A few titles, so that equal records are common and steps must tell them apart.
TaskRecord randomTask(std::mt19937& random)
{
    const auto pick = [&random](int below) { return static_cast<std::int16_t>(random() % below); };
    TaskRecord task;
    task.title = "Task " + std::to_string(pick(4));
    task.forWhom = pick(2) ? "Sam" : "";
    task.year = static_cast<std::int16_t>(2024 + pick(2));
    task.month = static_cast<std::int16_t>(1 + pick(12));
    task.day = static_cast<std::int16_t>(1 + pick(28));
    task.description = pick(2) ? "one\r\ntwo" : "";
    task.deleted = pick(3) ? "N" : "Y";
    return task;
}

// One random command as the windows give it: the dialogs change and save the tables before their
// step is recorded, the delete commands push theirs.
struct Session
{
    Session(Module1& tables, unsigned seed) : store(tables), random(seed) {}

    Module1& store;
    CommandContext context{store};
    QUndoStack history;
    std::mt19937 random;

    std::optional<std::int16_t> anyTask(bool recycled)
    {
        std::vector<std::int16_t> found;
        for (std::int16_t slot = 0; slot < store.taskCount; ++slot) {
            if (isRecycled(store.taskList[static_cast<std::size_t>(slot)]) == recycled)
                found.push_back(slot);
        }
        if (found.empty())
            return std::nullopt;
        return found[random() % found.size()];
    }

    void record(std::unique_ptr<DataCommand> step)
    {
        step->markDone();
        history.push(step.release());
    }

    bool savedByDialog() { return saveAndReadBack(nullptr, store) == SaveOutcome::Saved; }

    void newTask()
    {
        const std::optional<std::int16_t> slot = store.appendEmptyTask();
        store.taskList[static_cast<std::size_t>(*slot)] = randomTask(random);
        if (savedByDialog())
            record(newTaskStep(context, *slot, store.taskList[static_cast<std::size_t>(*slot)]));
    }

    void edit(std::int16_t slot)
    {
        TaskRecord& task = store.taskList[static_cast<std::size_t>(slot)];
        const TaskRecord before = task;
        task.title = randomTask(random).title;
        task.day = static_cast<std::int16_t>(1 + random() % 28);
        if (savedByDialog())
            record(editStep(context, slot, before, store.taskList[static_cast<std::size_t>(slot)]));
    }

    void editRules()
    {
        const std::vector<AlertRule> before(store.rules().begin(), store.rules().end());
        if (random() % 2 && store.ruleCount > 0)
            store.removeRule(static_cast<std::int16_t>(random() % store.ruleCount));
        if (const std::optional<std::int16_t> slot = store.appendNewRule())
            store.ruleList[static_cast<std::size_t>(*slot)].value = static_cast<std::int16_t>(random() % 30);
        if (store.saveTasks().ok)
            record(ruleTableStep(context, before, {store.rules().begin(), store.rules().end()}));
    }

    void anyCommand()
    {
        const std::optional<std::int16_t> live = anyTask(false);
        const std::optional<std::int16_t> recycled = anyTask(true);
        const auto task = [this](std::int16_t slot) { return store.taskList[static_cast<std::size_t>(slot)]; };
        switch (random() % 6) {
        case 0:
            return newTask();
        case 1:
            if (live)
                return edit(*live);
            break;
        case 2:
            if (live)
                return history.push(recycleStep(context, *live, task(*live)).release());
            break;
        case 3:
            if (recycled)
                return history.push(restoreStep(context, *recycled, task(*recycled)).release());
            break;
        case 4:
            if (recycled)
                return history.push(deleteForGoodStep(context, *recycled, task(*recycled)).release());
            break;
        default:
            return editRules();
        }
        newTask();
    }
};

} // namespace

void HistoryTest::undoAndRedoEveryStepRestoreTheFileExactly()
{
    const unsigned seed = std::random_device{}();
    const QByteArray context = "seed " + QByteArray::number(seed);
    std::mt19937 random(seed);
    for (int run = 0; run < runs; ++run) {
        std::filesystem::remove("tasks.txt");
        auto store = testsupport::storeWith({}, {{3, "d", 0xFF, popupOn}});
        for (int i = 0; i < 6; ++i)
            store->taskList[static_cast<std::size_t>(*store->appendEmptyTask())] = randomTask(random);
        QVERIFY2(store->saveTasks().ok && store->loadTasks().ok, context);
        const std::string start = testsupport::readBytes("tasks.txt");
        Session session(*store, random());
        for (int i = 0; i < stepsPerRun; ++i)
            session.anyCommand();
        const std::string end = testsupport::readBytes("tasks.txt");
        const int steps = session.history.count();

        while (session.history.canUndo())
            session.history.undo();
        QVERIFY2(testsupport::readBytes("tasks.txt") == start, context);
        while (session.history.canRedo())
            session.history.redo();
        QVERIFY2(testsupport::readBytes("tasks.txt") == end, context);
        QVERIFY2(session.history.count() == steps, context); // no step was refused
    }
}

QTEST_MAIN(HistoryTest)
#include "tst_history.moc"
