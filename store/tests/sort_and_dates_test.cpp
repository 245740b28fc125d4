// The exchange sort by sortKey, and the texts made of a due date: dueDateText, dueTimeText, dueKey.
#include "store/duetext.h"
#include "store/module1.h"
#include "store/taskfile.h"
#include "store/tests/filledstore.h"
#include "store/tests/testsupport.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <memory>
#include <vector>

namespace {

TaskRecord dueTask(std::string title, std::string forWhom, std::int16_t year, std::int16_t month, std::int16_t day,
                   std::int16_t hour, std::int16_t minute)
{
    TaskRecord t = testsupport::task(std::move(title), std::move(forWhom), year, month, day, hour, minute);
    t.dueKey = dueKey(t);
    return t;
}

// Tasks that differ only in their texts.
TaskRecord undated(std::string title, std::string forWhom = {})
{
    return dueTask(std::move(title), std::move(forWhom), 2003, 1, 1, 0, 0);
}

std::unique_ptr<Module1> storeOf(const std::vector<TaskRecord>& tasks, std::int16_t sortKey)
{
    auto store = testsupport::storeWith(tasks);
    store->sortKey = sortKey;
    return store;
}

// Titles of the used slots after sorting, with the forWhom in brackets when `withFor`.
std::vector<std::string> sortedTitles(const std::vector<TaskRecord>& tasks, std::int16_t sortKey, bool withFor = false)
{
    auto store = storeOf(tasks, sortKey);
    store->sortTasks();
    std::vector<std::string> titles;
    for (int i = 0; i < store->taskCount; ++i) {
        const TaskRecord& t = store->taskList[static_cast<std::size_t>(i)];
        titles.push_back(withFor ? t.title + "(" + t.forWhom + ")" : t.title);
    }
    return titles;
}

// Read in this slot order: not sorted by any key.
const std::vector<TaskRecord> fourTasks = {
    dueTask("cherry", "bob", 2002, 12, 31, 23, 59), dueTask("Date", "Carl", 2004, 1, 1, 0, 0),
    dueTask("apple", "zed", 2003, 3, 5, 10, 5), dueTask("Banana", "Amy", 2003, 3, 5, 9, 30),
    dueTask("elder", "dan", 0, 5, 0, 9, 0)}; // no due date, whatever its month and time

struct SortCase
{
    std::int16_t sortKey;
    std::vector<std::string> titles;
    friend void PrintTo(const SortCase& c, std::ostream* os) { *os << "sortKey " << c.sortKey; }
};

class SortKey : public testing::TestWithParam<SortCase>
{
};

TEST_P(SortKey, OrdersTheTableByItsRule)
{
    EXPECT_EQ(sortedTitles(fourTasks, GetParam().sortKey), GetParam().titles);
}

INSTANTIATE_TEST_SUITE_P(
    Keys, SortKey,
    testing::Values(SortCase{0, {"apple", "Banana", "cherry", "Date", "elder"}},  // letter case ignored
                    SortCase{1, {"Banana", "cherry", "Date", "elder", "apple"}},  // Amy, bob, Carl, dan, zed
                    SortCase{2, {"cherry", "Banana", "apple", "Date", "elder"}},  // 9:30 before 10:05; undated last
                    SortCase{10, {"elder", "cherry", "apple", "Date", "Banana"}}, // small letters above capitals
                    SortCase{11, {"apple", "elder", "cherry", "Date", "Banana"}}, // zed, dan, bob, Carl, Amy
                    SortCase{12, {"elder", "Date", "apple", "Banana", "cherry"}},
                    SortCase{3, {"cherry", "Date", "apple", "Banana", "elder"}},
                    SortCase{5, {"cherry", "Date", "apple", "Banana", "elder"}},
                    SortCase{7, {"cherry", "Date", "apple", "Banana", "elder"}},
                    SortCase{-1, {"cherry", "Date", "apple", "Banana", "elder"}}),
    [](const testing::TestParamInfo<SortCase>& row) {
        const int key = row.param.sortKey;
        return (key < 0 ? "KeyMinus" : "Key") + std::to_string(std::abs(key));
    });

TEST(SortTasks, IgnoresLetterCaseByUnicodeRules)
{
    const std::vector<TaskRecord> tasks = {undated("\u00C9mile", "\u00C9mile"), undated("zoo", "zoo"),
                                           undated("\u00E9lan", "\u00E9lan"), undated("Eve", "Eve")};
    const std::vector<std::string> expected = {"Eve", "zoo", "\u00E9lan", "\u00C9mile"};
    EXPECT_EQ(sortedTitles(tasks, 0), expected);
    EXPECT_EQ(sortedTitles(tasks, 1), expected);
    // Descending by code: É (U+00C9) is below é (U+00E9) and every ASCII letter is below both.
    EXPECT_EQ(sortedTitles(tasks, 10), (std::vector<std::string>{"\u00E9lan", "\u00C9mile", "zoo", "Eve"}));
}

TEST(SortTasks, CapitalAccentSortsWithItsSmallLetter)
{
    const std::vector<TaskRecord> tasks = {undated("\u00E9cole b"), undated("\u00C9cole c"), undated("\u00E9cole a")};
    EXPECT_EQ(sortedTitles(tasks, 0), (std::vector<std::string>{"\u00E9cole a", "\u00E9cole b", "\u00C9cole c"}));
}

// Equal keys end where the exchanges put them, not where a stable sort would.
struct EqualKeysCase
{
    const char* name;
    std::int16_t sortKey;
    std::vector<TaskRecord> tasks;
    std::vector<std::string> order; // title(forWhom)
    friend void PrintTo(const EqualKeysCase& c, std::ostream* os) { *os << c.name; }
};

class EqualKeys : public testing::TestWithParam<EqualKeysCase>
{
};

TEST_P(EqualKeys, EndWhereTheExchangesPutThem)
{
    EXPECT_EQ(sortedTitles(GetParam().tasks, GetParam().sortKey, true), GetParam().order);
}

INSTANTIATE_TEST_SUITE_P(Orders, EqualKeys,
                         testing::Values(
                             // j=0 exchanges slot 2 (a) with slot 0 (b1), moving b1 behind b2.
                             EqualKeysCase{"SwapPastEqual",
                                           0,
                                           {undated("b", "1"), undated("B", "2"), undated("a", "3")},
                                           {"a(3)", "B(2)", "b(1)"}},
                             // j=0 takes a1; j=1 exchanges a2 with b1, which lands behind b2.
                             EqualKeysCase{"Interleaved",
                                           2,
                                           {dueTask("b", "1", 2003, 5, 1, 0, 0), dueTask("a", "1", 2003, 4, 1, 0, 0),
                                            dueTask("b", "2", 2003, 5, 1, 0, 0), dueTask("a", "2", 2003, 4, 1, 0, 0)},
                                           {"a(1)", "a(2)", "b(2)", "b(1)"}},
                             // Descending: d's exchange with slot 0 moves c1 behind c2.
                             EqualKeysCase{"Descending",
                                           10,
                                           {undated("c", "1"), undated("c", "2"), undated("d", "3"), undated("a", "4")},
                                           {"d(3)", "c(2)", "c(1)", "a(4)"}}),
                         testsupport::caseName<EqualKeysCase>);

TEST(SortTasks, SortedTableIsLeftExactlyAsItWas)
{
    std::vector<TaskRecord> tasks = {undated("a", "1"), undated("A", "2"), undated("b", "3"), undated("B", "4")};
    for (std::size_t i = 0; i < tasks.size(); ++i)
        tasks[i].description = "slot " + std::to_string(i);
    for (const std::int16_t key : {0, 1, 2}) {
        auto store = storeOf(tasks, key);
        store->sortTasks();
        EXPECT_TRUE(std::equal(tasks.begin(), tasks.end(), store->taskList.begin())) << "sortKey " << key;
    }
}

TEST(SortTasks, OnlyUsedSlotsTakePart)
{
    auto store = storeOf({undated("b"), undated("c"), undated("a")}, 0);
    store->taskCount = 2;
    store->sortTasks();
    EXPECT_EQ(store->taskList[0].title, "b");
    EXPECT_EQ(store->taskList[2].title, "a");

    store->taskCount = 0;
    store->sortTasks();
    store->taskCount = 1;
    store->sortTasks();
    EXPECT_EQ(store->taskList[0].title, "b");
}

struct DateTextCase
{
    const char* name;
    std::int16_t day;
    std::int16_t month;
    std::int16_t year;
    std::string text;
    std::int16_t monthAfter;
    friend void PrintTo(const DateTextCase& c, std::ostream* os) { *os << c.name; }
};

class DueDateText : public testing::TestWithParam<DateTextCase>
{
};

TEST_P(DueDateText, MatchesTheTable)
{
    const auto& c = GetParam();
    std::int16_t day = c.day;
    std::int16_t month = c.month;
    std::int16_t year = c.year;
    EXPECT_EQ(dueDateText(day, month, year), c.text);
    EXPECT_EQ(month, c.monthAfter);
    EXPECT_EQ(day, c.day);
    EXPECT_EQ(year, c.year);
}

INSTANTIATE_TEST_SUITE_P(Table, DueDateText,
                         testing::Values(DateTextCase{"September", 5, 9, 2003, "September 05/03", 9},
                                         DateTextCase{"December", 31, 12, 1999, "December 31/99", 12},
                                         DateTextCase{"MonthZeroBecomesJanuary", 1, 0, 2004, "January 01/04", 1},
                                         DateTextCase{"MonthThirteenHasNoName", 7, 13, 2003, " 07/03", 13},
                                         DateTextCase{"ShortYear", 12, 6, 5, "June 12/05", 6},
                                         DateTextCase{"YearZero", 1, 1, 0, "January 01/00", 1},
                                         DateTextCase{"YearTwoThousand", 29, 2, 2000, "February 29/00", 2},
                                         DateTextCase{"MonthFourteen", 1, 14, 2003, " 01/03", 14},
                                         DateTextCase{"NegativeMonth", 1, -1, 2003, " 01/03", -1},
                                         DateTextCase{"LowestMonth", 1, -32768, 2003, " 01/03", -32768},
                                         DateTextCase{"HighestMonth", 1, 32767, 2003, " 01/03", 32767}),
                         testsupport::caseName<DateTextCase>);

TEST(DueText, MonthZeroIsSavedAsJanuaryAfterItWasShown)
{
    TaskRecord t = testsupport::task("x", "", 2003, 0, 5, 14, 30);
    std::setlocale(LC_ALL, "C");
    EXPECT_EQ(dueText(t), "January 05/03 at 14:30:00");
    EXPECT_EQ(t.month, 1);
    auto store = storeOf({t}, 2);
    EXPECT_NE(taskFileText(*store).find("\r\nmon=1\r\n"), std::string::npos);

    TaskRecord undated = testsupport::task("y", "", 0, 0, 0, 9, 0);
    EXPECT_TRUE(dueText(undated).empty() && undated.month == 0); // nothing shown, nothing to save
}

struct TimeCase
{
    std::int16_t hour;
    std::int16_t minute;
    std::int16_t second;
    std::string text;
    friend void PrintTo(const TimeCase& c, std::ostream* os) { *os << c.hour << ':' << c.minute << ':' << c.second; }
};

class DueTimeText : public testing::TestWithParam<TimeCase>
{
};

TEST_P(DueTimeText, CLocaleShowsTheTimeOfDayWithCarry)
{
    std::setlocale(LC_ALL, "C");
    const auto& c = GetParam();
    EXPECT_EQ(dueTimeText(c.hour, c.minute, c.second), c.text);
}

INSTANTIATE_TEST_SUITE_P(Times, DueTimeText,
                         testing::Values(TimeCase{14, 30, 0, "14:30:00"}, TimeCase{9, 7, 0, "09:07:00"},
                                         TimeCase{0, 0, 0, "00:00:00"}, TimeCase{23, 59, 59, "23:59:59"},
                                         TimeCase{25, 0, 0, "01:00:00"}, TimeCase{0, 90, 0, "01:30:00"},
                                         TimeCase{0, 0, 61, "00:01:01"}, TimeCase{0, 0, -1, "23:59:59"},
                                         TimeCase{-1, 0, 0, "23:00:00"}, TimeCase{32767, 32767, 32767, "10:13:07"},
                                         TimeCase{-32768, -32768, -32768, "12:45:52"}));

TEST(DueKey, PadsEveryPart)
{
    EXPECT_EQ(dueKey(testsupport::task("", "", 2003, 3, 5, 9, 7)), "2003-03 - 05 09:07:00");
    TaskRecord t = testsupport::task("", "", 5, 1, 2, 3, 4);
    t.second = 6;
    EXPECT_EQ(dueKey(t), "0005-01 - 02 03:04:06");
}

TEST(DueKey, WideAndNegativeValuesKeepTheWidthOfTheKey)
{
    for (const std::int16_t v :
         {std::int16_t{-32768}, std::int16_t{-1}, std::int16_t{100}, std::int16_t{10000}, std::int16_t{32767}}) {
        TaskRecord t = testsupport::task("", "", v, v, v, v, v);
        t.second = v;
        EXPECT_EQ(dueKey(t).size(), 21u) << v;
    }
    EXPECT_EQ(dueKey(testsupport::task("", "", -1, -1, -1, -1, -1)), "0000-00 - 00 00:00:00");
}

// Keys compare in chronological order across every year from 0 to 9999.
TEST(DueKey, YearsZeroTo9999SortChronologically)
{
    std::string previous;
    for (int year = 0; year <= 9999; ++year) {
        const auto y = static_cast<std::int16_t>(year);
        const std::string first = dueKey(testsupport::task("", "", y, 1, 1, 0, 0));
        TaskRecord lastMoment = testsupport::task("", "", y, 12, 31, 23, 59);
        lastMoment.second = 59;
        const std::string last = dueKey(lastMoment);
        ASSERT_LT(previous, first) << year;
        ASSERT_LT(first, last) << year;
        previous = last;
    }
}

} // namespace
