#include "store/module1.h"
#include "store/taskfile.h"
#include "store/tests/filledstore.h"
#include "store/tests/testsupport.h"

#include <gtest/gtest.h>

using testsupport::slotTitles;
using testsupport::storeWith;
using testsupport::task;

namespace {

TEST(TaskTable, RemovingMovesLaterTasksUpAndLeavesTheOldLastSlot)
{
    auto store = storeWith({task("a"), task("b"), task("c"), task("d")});
    store->removeTask(1);
    ASSERT_EQ(store->taskCount, 3);
    EXPECT_EQ(slotTitles(*store, 4), (std::vector<std::string>{"a", "c", "d", "d"}))
        << "the old last slot keeps its copy";
}

TEST(TaskTable, SlotsOutsideTheUsedPartAreNotRemoved)
{
    auto store = storeWith({task("a"), task("b")});
    store->removeTask(2);
    store->removeTask(-1);
    EXPECT_EQ(store->taskCount, 2);
}

TEST(TaskTable, NewTaskStartsEmptyAndAFullTableRefuses)
{
    auto store = storeWith({task("a")});
    store->taskList[1].deleted = recycledMark; // left behind by a task deleted for good
    store->taskList[1].title = "old";
    ASSERT_EQ(store->appendEmptyTask(), 1);
    EXPECT_EQ(store->taskList[1], TaskRecord{});
    store->taskCount = Module1::taskSlots;
    EXPECT_FALSE(store->appendEmptyTask());
    EXPECT_EQ(store->taskCount, Module1::taskSlots);
}

TEST(Tables, CountsOutsideTheirTableAreNeverTrustedPastIt)
{
    Module1 store;
    store.taskCount = -5;
    store.ruleCount = 500;
    EXPECT_TRUE(store.tasks().empty());
    EXPECT_EQ(store.rules().size(), static_cast<std::size_t>(Module1::ruleSlots));
    store.sortTasks(); // must not throw or read past the table
    EXPECT_FALSE(taskFileText(store).empty());
}

} // namespace
