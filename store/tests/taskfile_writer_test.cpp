// The writer: layout byte for byte, escaping, values that would break their line, and the round
// trip through the reader.
#include "store/duetext.h"
#include "store/module1.h"
#include "store/taskfile.h"
#include "store/tests/filledstore.h"
#include "store/tests/testsupport.h"

#include <gtest/gtest.h>

#include <memory>

using testsupport::crlfLines;
using testsupport::fixture;
using testsupport::readBytes;
using testsupport::ScratchFolder;
using testsupport::storeWith;

namespace {

std::unique_ptr<Module1> storeWithTasksAndRules(const std::filesystem::path& file)
{
    TaskRecord first = testsupport::task("Write report", "Ann", 2003, 9, 5, 14, 30);
    first.deleted = "N";
    first.description = "Line one\r\nLine two";
    TaskRecord second = testsupport::task("Caf\u00E9 \u2013 \u00FCn\u00EFcode", "", 0, 0, -1, 0, 0);
    second.second = 59;
    second.deleted = "Y";
    return storeWith({first, second}, {{3, "d", 16711680, popupOn}, {-2, "ww", 255, 0}}, file);
}

TEST(TaskFileWriter, EmptyStoreIsExactlyTenLines)
{
    ScratchFolder folder;
    Module1 store(folder / "tasks.txt");
    ASSERT_TRUE(store.saveTasks().ok);
    const std::string written = readBytes(folder / "tasks.txt");
    EXPECT_EQ(written, fixture("empty_store.txt"));

    ASSERT_TRUE(store.loadTasks().ok);
    EXPECT_EQ(store.taskCount, 0);
    EXPECT_EQ(store.ruleCount, 0);
}

TEST(TaskFileWriter, TasksAndRulesMatchTheReferenceFile)
{
    ScratchFolder folder;
    auto store = storeWithTasksAndRules(folder / "tasks.txt");
    ASSERT_TRUE(store->saveTasks().ok);
    EXPECT_EQ(readBytes(folder / "tasks.txt"), fixture("tasks_and_rules.txt"));
}

TEST(TaskFileWriter, OnlyTasksThatLeftTheFileGetAUidLine)
{
    Module1 store;
    const std::string neverExported = fixture("tasks_and_rules.txt");
    readTaskFileText(neverExported, store);
    EXPECT_EQ(taskFileText(store), neverExported);

    EXPECT_EQ(store.giveMissingUids(), 2);
    store.taskList[1].uid = "x@elsewhere";
    const std::string text = taskFileText(store);
    EXPECT_TRUE(testsupport::contains(text, "des=\r\nuid=x@elsewhere\r\nact=addtask\r\n"));
    Module1 reread;
    readTaskFileText(text, reread);
    EXPECT_EQ(reread.taskList[0].uid, store.taskList[0].uid);
    EXPECT_EQ(reread.slotOfUid("x@elsewhere"), 1);
    EXPECT_EQ(store.giveMissingUids(), 0);
}

TEST(TaskFileWriter, SavingLeavesTheRecordsAsTheyWere)
{
    ScratchFolder folder;
    auto store = storeWithTasksAndRules(folder / "tasks.txt");
    store->taskList[0].description = "lone\rCR and\r\npair";
    store->taskList[0].title = "line\nfeed";
    const TaskRecord before = store->taskList[0];
    ASSERT_TRUE(store->saveTasks().ok);
    EXPECT_EQ(store->taskList[0], before);
}

TEST(LineBreakEscape, EscapesOnlyCrLfPairs)
{
    EXPECT_EQ(escapeLineBreaks("a\r\nb\r\n"), "a|~b|~");
    EXPECT_EQ(escapeLineBreaks("\r\r\n\n"), "\r|~\n");
    EXPECT_EQ(escapeLineBreaks("a|b~c|~"), "a|b~c|~");
    EXPECT_EQ(unescapeLineBreaks("a|~b|~"), "a\r\nb\r\n");
    EXPECT_EQ(unescapeLineBreaks("||~~"), "|\r\n~");
    EXPECT_EQ(unescapeLineBreaks("|~~|"), "\r\n~|");
    EXPECT_EQ(unescapeLineBreaks(escapeLineBreaks("x\r\ny\rz\n")), "x\r\ny\rz\n");
}

// The lines the writer makes of a task whose values hold line-end characters.
struct BreakingValueCase
{
    const char* name;
    TaskRecord task;
    AlertRule rule;
    std::string line; // must appear in the file as a whole line
    friend void PrintTo(const BreakingValueCase& c, std::ostream* os) { *os << c.name; }
};

class BreakingValue : public testing::TestWithParam<BreakingValueCase>
{
};

TEST_P(BreakingValue, StaysOnItsLine)
{
    const auto& c = GetParam();
    const std::string text = taskFileText(*storeWith({c.task}, {c.rule}));
    EXPECT_NE(text.find("\r\n" + c.line + "\r\n"), std::string::npos) << text;
}

TaskRecord withText(std::string TaskRecord::*field, std::string text)
{
    TaskRecord t;
    t.*field = std::move(text);
    return t;
}

TaskRecord described(std::string description)
{
    return withText(&TaskRecord::description, std::move(description));
}

INSTANTIATE_TEST_SUITE_P(
    Values, BreakingValue,
    testing::Values(BreakingValueCase{"DescriptionPair", described("a\r\nb"), {}, "des=a|~b"},
                    BreakingValueCase{"DescriptionLoneCr", described("a\rb"), {}, "des=a|~b"},
                    BreakingValueCase{"DescriptionCrBeforePair", described("a\r\r\nb"), {}, "des=a|~|~b"},
                    BreakingValueCase{"DescriptionTrailingCr", described("a\r"), {}, "des=a|~"},
                    BreakingValueCase{"DescriptionLoneLfKept", described("a\nb"), {}, "des=a\nb"},
                    BreakingValueCase{"DescriptionMarkersAsIs", described("|~ | ~"), {}, "des=|~ | ~"},
                    BreakingValueCase{"TitleCr", withText(&TaskRecord::title, "a\rb"), {}, "ttl=a b"},
                    BreakingValueCase{"TitlePair", withText(&TaskRecord::title, "a\r\nb"), {}, "ttl=a  b"},
                    BreakingValueCase{"ForLf", withText(&TaskRecord::forWhom, "a\nb"), {}, "for=a b"},
                    BreakingValueCase{"DeletedCr", withText(&TaskRecord::deleted, "Y\r"), {}, "del=Y "},
                    BreakingValueCase{"UnitLf", {}, AlertRule{1, "d\nx", 0, 0}, "unt=d x"}),
    testsupport::caseName<BreakingValueCase>);

std::unique_ptr<Module1> saveAndLoad(Module1& store)
{
    const SaveReport saved = store.saveTasks();
    EXPECT_TRUE(saved.ok) << testing::PrintToString(saved.failure);
    auto reread = std::make_unique<Module1>(store.taskFile());
    const LoadReport loaded = reread->loadTasks();
    EXPECT_TRUE(loaded.ok) << testing::PrintToString(loaded.failure);
    return reread;
}

// Text that would inject keys if a line end slipped through stays one value.
TEST(TaskFileRoundTrip, LineEndsInValuesInjectNothing)
{
    ScratchFolder folder;
    auto store = std::make_unique<Module1>(folder / "tasks.txt");
    store->taskList[0].title = "Title\ract=addalert";
    store->taskList[0].description = "first\rttl=Injected\rval=99\ract=addalert";
    store->taskList[0].forWhom = "Bo\nact=addtask";
    store->taskCount = 1;
    const auto reread = saveAndLoad(*store);
    ASSERT_EQ(reread->taskCount, 1);
    EXPECT_EQ(reread->ruleCount, 0);
    EXPECT_EQ(reread->taskList[0].title, "Title act=addalert");
    EXPECT_EQ(reread->taskList[0].forWhom, "Bo act=addtask");
    EXPECT_EQ(reread->taskList[0].description, "first\r\nttl=Injected\r\nval=99\r\nact=addalert");
}

TEST(TaskFileRoundTrip, EveryFieldComesBack)
{
    ScratchFolder folder;
    auto store = std::make_unique<Module1>(folder / "tasks.txt");
    const std::vector<TaskRecord> tasks = [] {
        std::vector<TaskRecord> t(4);
        t[0] = testsupport::task("  leading spaces", "\tTab\t", 2003, 3, 5, 9, 7);
        t[0].description = "multi\r\nline\r\n\r\nwith lone\nfeed, | and ~ apart";
        t[0].deleted = "Y";
        t[1] = testsupport::task("\u00C9cole \u20AC \U0001D11E", "Ren\u00E9e", -32768, -32768, -32768, -32768, -32768);
        t[1].second = -32768;
        t[1].deleted = "y";
        t[2] = testsupport::task("=;[ odd", "", 32767, 32767, 32767, 32767, 32767);
        t[2].second = 32767;
        t[2].deleted = "N";
        t[3] = testsupport::task("", "", 0, 0, 0, 0, 0); // every value at its start value after others
        return t;
    }();
    testsupport::setTasks(*store, tasks);
    for (TaskRecord& t : store->tasks())
        t.dueKey = "stale";
    const std::vector<AlertRule> rules = {
        {-32768, "ww", -2147483647 - 1, popupOn}, {32767, "", 2147483647, 0}, {0, " spaced", 16711680, popupOn}};
    testsupport::setRules(*store, rules);

    const auto reread = saveAndLoad(*store);
    ASSERT_EQ(reread->taskCount, store->taskCount);
    ASSERT_EQ(reread->ruleCount, store->ruleCount);
    for (std::size_t i = 0; i < tasks.size(); ++i) {
        TaskRecord expected = tasks[i];
        expected.dueKey = dueKey(expected);
        EXPECT_EQ(reread->taskList[i], expected) << "task slot " << i;
    }
    for (std::size_t i = 0; i < rules.size(); ++i)
        EXPECT_EQ(reread->ruleList[i], rules[i]) << "rule slot " << i;
    EXPECT_EQ(reread->taskList[0].dueKey, "2003-03 - 05 09:07:00");
}

TEST(TaskFileRoundTrip, ListedExceptionsChangeAsDocumented)
{
    ScratchFolder folder;
    TaskRecord t;
    t.title = "trailing   ";
    t.description = "literal |~ marker";
    // Any non-zero popup reads back as the true value.
    auto store = storeWith({t}, {{1, "d", 0, 1}}, folder / "tasks.txt");
    const auto reread = saveAndLoad(*store);
    EXPECT_EQ(reread->taskList[0].title, "trailing");
    EXPECT_EQ(reread->taskList[0].description, "literal \r\n marker");
    EXPECT_EQ(reread->ruleList[0].popup, popupOn);
}

TEST(TaskFileRoundTrip, ReferenceFileReadsBackToTheSameTables)
{
    ScratchFolder folder;
    auto expected = storeWithTasksAndRules(folder / "expected.txt");
    Module1 store;
    const LoadReport report = readTaskFileText(fixture("tasks_and_rules.txt"), store);
    EXPECT_TRUE(report.ok);
    EXPECT_FALSE(report.olderEncoding);
    ASSERT_EQ(store.taskCount, 2);
    ASSERT_EQ(store.ruleCount, 2);
    for (std::size_t i = 0; i < 2; ++i) {
        TaskRecord task = expected->taskList[i];
        task.dueKey = dueKey(task);
        EXPECT_EQ(store.taskList[i], task);
        EXPECT_EQ(store.ruleList[i], expected->ruleList[i]);
    }
}

} // namespace
