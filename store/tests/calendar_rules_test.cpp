// Dates with carry, weekdays, the clock, units left to a due date, the walk over the rules that the
// list colouring, the attention page and the reminders share, and the record of reminders sent.
#include "store/calendar.h"
#include "store/popups.h"
#include "store/ruleeval.h"
#include "store/tests/testsupport.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(Calendar, MonthAndDayCarryIntoTheNeighbours)
{
    EXPECT_EQ(civilDay(1970, 1, 1), 0);
    EXPECT_EQ(civilDay(2003, 13, 1), civilDay(2004, 1, 1));
    EXPECT_EQ(civilDay(2003, 25, 1), civilDay(2005, 1, 1));
    EXPECT_EQ(civilDay(2003, 0, 15), civilDay(2002, 12, 15));
    EXPECT_EQ(civilDay(2003, -11, 1), civilDay(2002, 1, 1));
    EXPECT_EQ(civilDay(2003, -12, 1), civilDay(2001, 12, 1));
    EXPECT_EQ(civilDay(2003, 3, 0), civilDay(2003, 2, 28));
    EXPECT_EQ(civilDay(2004, 3, 0), civilDay(2004, 2, 29));
    EXPECT_EQ(civilDay(2003, 1, 0), civilDay(2002, 12, 31));
    EXPECT_EQ(civilDay(2003, 1, 32), civilDay(2003, 2, 1));
    EXPECT_EQ(civilDay(2003, 2, 31), civilDay(2003, 3, 3));
    EXPECT_EQ(civilDay(2003, 0, 0), civilDay(2002, 11, 30));
    EXPECT_EQ(civilDay(2003, 1, 366), civilDay(2004, 1, 1));
    EXPECT_EQ(civilDate(civilDay(2003, 13, 1)), (CivilDate{2004, 1, 1}));
    EXPECT_EQ(civilDate(civilDay(1900, 3, 0)), (CivilDate{1900, 2, 28}));
    EXPECT_EQ(civilDate(civilDay(2000, 3, 0)), (CivilDate{2000, 2, 29}));
    const DayNumber earliest = civilDay(-32768, -32768, -32768);
    const CivilDate date = civilDate(earliest);
    EXPECT_EQ(civilDay(date.year, date.month, date.day), earliest);
}

TEST(Calendar, Weekday)
{
    EXPECT_EQ(weekday(civilDay(1970, 1, 1)), 4);
    EXPECT_EQ(weekday(civilDay(1969, 12, 31)), 3);
    EXPECT_EQ(weekday(civilDay(2003, 9, 5)), 5);
    EXPECT_EQ(weekday(civilDay(2000, 1, 1)), 6);
    EXPECT_EQ(weekday(civilDay(2004, 1, 4)), 0);
    EXPECT_EQ(weekday(civilDay(1, 1, 1)), 1);
}

TEST(Calendar, PinnedClockIsWhatEveryReaderSees)
{
    constexpr std::int64_t day = 24 * 60 * 60 * 1000;
    pinNow(LocalTime{civilDay(2003, 9, 5), day - 1500});
    EXPECT_EQ(today(), civilDay(2003, 9, 5));
    EXPECT_EQ(millisecondsUntil(nextWalkChange(now())), 1500);
    pinToday(civilDay(2003, 9, 6));
    EXPECT_EQ(millisecondsUntil(nextWalkChange(now())), day);
    pinToday(std::nullopt);
    EXPECT_GT(today(), civilDay(2020, 1, 1));
    // The real clock: the next midnight is less than a day away, an hour more where the clocks go back.
    const std::int64_t wait = millisecondsUntil(nextWalkChange(now()));
    EXPECT_GT(wait, 0);
    EXPECT_LE(wait, day + 60 * 60 * 1000);
}

struct UnitCase
{
    const char* name;
    const char* unit;
    CivilDate from;
    CivilDate due;
    std::int16_t left;
    friend void PrintTo(const UnitCase& c, std::ostream* os) { *os << c.name; }
};

class UnitsLeft : public testing::TestWithParam<UnitCase>
{
};

TEST_P(UnitsLeft, CountsBoundariesOfTheUnit)
{
    const auto& c = GetParam();
    EXPECT_EQ(unitsLeft(civilDay(c.from.year, c.from.month, c.from.day), civilDay(c.due.year, c.due.month, c.due.day),
                        c.unit),
              c.left);
}

constexpr CivilDate newYearsEve{2003, 12, 31}; // a Wednesday

INSTANTIATE_TEST_SUITE_P(Units, UnitsLeft,
                         testing::Values(UnitCase{"DaysAhead", "d", newYearsEve, {2004, 1, 2}, 2},
                                         UnitCase{"DaysToday", "d", newYearsEve, newYearsEve, 0},
                                         UnitCase{"DaysOverdue", "d", newYearsEve, {2003, 12, 1}, -30},
                                         UnitCase{"DaysUpperCase", "D", newYearsEve, {2004, 1, 2}, 2},
                                         UnitCase{"EmptyCountsDays", "", newYearsEve, {2004, 1, 2}, 2},
                                         UnitCase{"UnknownCountsDays", "fortnight", newYearsEve, {2004, 1, 2}, 2},
                                         UnitCase{"DayOfYearCountsDays", "y", newYearsEve, {2004, 1, 2}, 2},
                                         UnitCase{"YearBoundaryAfterOneDay", "yyyy", newYearsEve, {2004, 1, 1}, 1},
                                         UnitCase{"YearsUpperCase", "YYYY", {2003, 1, 1}, {2003, 12, 31}, 0},
                                         UnitCase{"YearsBack", "yyyy", {2003, 1, 1}, {2001, 12, 31}, -2},
                                         UnitCase{"QuarterBoundary", "q", newYearsEve, {2004, 1, 1}, 1},
                                         UnitCase{"SameQuarter", "q", {2003, 10, 1}, newYearsEve, 0},
                                         UnitCase{"QuartersBack", "q", {2003, 4, 1}, {2002, 12, 31}, -2},
                                         UnitCase{"MonthBoundary", "m", {2003, 1, 31}, {2003, 2, 1}, 1},
                                         UnitCase{"SameMonth", "m", {2003, 1, 1}, {2003, 1, 31}, 0},
                                         UnitCase{"MonthsAcrossYear", "m", {2003, 11, 30}, {2004, 2, 1}, 3},
                                         UnitCase{"WholeWeeks", "w", newYearsEve, {2004, 1, 13}, 1},
                                         UnitCase{"TwoWholeWeeks", "w", newYearsEve, {2004, 1, 14}, 2},
                                         UnitCase{"WholeWeeksBack", "w", newYearsEve, {2003, 12, 18}, -1},
                                         UnitCase{"SundayCrossed", "ww", newYearsEve, {2004, 1, 4}, 1},
                                         UnitCase{"NoSundayCrossed", "ww", newYearsEve, {2004, 1, 3}, 0},
                                         UnitCase{"SundaysBack", "ww", newYearsEve, {2003, 12, 27}, -1},
                                         UnitCase{"Hours", "h", newYearsEve, {2004, 1, 2}, 48},
                                         UnitCase{"Minutes", "n", newYearsEve, {2004, 1, 1}, 1440},
                                         UnitCase{"SecondsSaturate", "s", newYearsEve, {2004, 1, 1}, 32767},
                                         UnitCase{"SecondsToday", "s", newYearsEve, newYearsEve, 0},
                                         UnitCase{"NegativeSecondsSaturate", "s", newYearsEve, {2003, 12, 30}, -32768},
                                         UnitCase{"DaysSaturate", "d", newYearsEve, {2103, 1, 1}, 32767},
                                         UnitCase{"DaysSaturateBack", "d", newYearsEve, {1903, 1, 1}, -32768},
                                         UnitCase{"WidestDueDate", "d", newYearsEve, {32767, 32767, 32767}, 32767}),
                         testsupport::caseName<UnitCase>);

constexpr std::int32_t red = 0x0000FF;
constexpr std::int32_t green = 0x00FF00;
constexpr std::int32_t blue = 0xFF0000;

RuleWalk walkDaysAhead(const std::vector<AlertRule>& rules, int daysAhead)
{
    const DayNumber from = civilDay(2003, 9, 5);
    return walkRules(rules, from, from + daysAhead);
}

TEST(WalkRules, SmallestApplyingValueGivesTheColour)
{
    const std::vector<AlertRule> rules = {{7, "d", red, 0}, {3, "d", green, 0}};
    EXPECT_EQ(walkDaysAhead(rules, 2).leadColor, green);
    EXPECT_EQ(walkDaysAhead(rules, 5).leadColor, red);
    EXPECT_EQ(walkDaysAhead(rules, 10).leadColor, std::nullopt);
    EXPECT_EQ(walkDaysAhead(rules, 10).lastUnitsLeft, 10);
}

TEST(WalkRules, LaterRuleWinsATie)
{
    EXPECT_EQ(walkDaysAhead({{3, "d", red, 0}, {3, "d", green, 0}}, 1).leadColor, green);
}

TEST(WalkRules, LaterLargerValueDoesNotReplaceTheLeader)
{
    EXPECT_EQ(walkDaysAhead({{3, "d", red, 0}, {1, "d", green, 0}, {3, "d", blue, 0}}, 0).leadColor, green);
}

TEST(WalkRules, NegativeValueAppliesOnlyWhenOverdue)
{
    const std::vector<AlertRule> rules = {{-1, "d", red, 0}};
    EXPECT_EQ(walkDaysAhead(rules, -1).leadColor, red);
    EXPECT_EQ(walkDaysAhead(rules, 0).leadColor, std::nullopt);
}

TEST(WalkRules, PopupColourComesOnlyFromLeaders)
{
    const AlertRule a{10, "d", red, popupOn};
    const AlertRule b{3, "d", green, 0};
    const RuleWalk aThenB = walkDaysAhead({a, b}, 2);
    EXPECT_EQ(aThenB.leadColor, green);
    EXPECT_EQ(aThenB.popupColor, red);
    const RuleWalk bThenA = walkDaysAhead({b, a}, 2);
    EXPECT_EQ(bThenA.leadColor, green);
    EXPECT_EQ(bThenA.popupColor, std::nullopt);
    // Applies, but after a smaller leader: no popup.
    EXPECT_EQ(walkDaysAhead({{1, "d", green, 0}, {3, "d", red, popupOn}}, 0).popupColor, std::nullopt);
    // The last popup leader gives the colour.
    EXPECT_EQ(walkDaysAhead({{5, "d", red, popupOn}, {4, "d", blue, popupOn}, {2, "d", green, 0}}, 1).popupColor, blue);
}

TEST(WalkRules, LastRuleInTableOrderGivesTheUnitsLeft)
{
    const DayNumber from = civilDay(2003, 6, 1);
    const DayNumber due = civilDay(2003, 5, 20);
    const std::pair<std::vector<AlertRule>, int> rows[] = {
        {{{0, "yyyy", red, 0}, {-100, "d", green, 0}}, -12},
        {{{-100, "d", green, 0}, {0, "yyyy", red, 0}}, 0},
        {{{-100, "d", green, 0}, {0, "yyyy", red, 0}, {-100, "d", blue, 0}}, -12}};
    for (const auto& [rules, left] : rows)
        EXPECT_EQ(walkRules(rules, from, due).lastUnitsLeft, left) << rules.size() << " rules";
    const RuleWalk none = walkRules({}, from, due);
    EXPECT_EQ(none.lastUnitsLeft, std::nullopt);
    EXPECT_EQ(none.leadColor, std::nullopt);
}

TEST(PopupMatches, LiveTasksOnTheAttentionPageWithTheirPopupRule)
{
    const DayNumber from = civilDay(2003, 9, 5);
    const std::vector<AlertRule> rules = {{30, "d", blue, 0}, {7, "d", red, popupOn}, {2, "d", green, 0}};
    std::vector<TaskRecord> tasks = {testsupport::task("in 5 days", {}, 2003, 9, 10),
                                     testsupport::task("recycled", {}, 2003, 9, 10),
                                     testsupport::task("in 1 day: the popup rule led before", {}, 2003, 9, 6),
                                     testsupport::task("in 20 days: only the rule without popup", {}, 2003, 9, 25)};
    tasks[1].deleted = recycledMark;
    std::vector<std::int16_t> slots;
    for (const PopupMatch& match : popupMatches(tasks, rules, from)) {
        slots.push_back(match.slot);
        EXPECT_EQ(match.rule, 1u);
    }
    EXPECT_EQ(slots, (std::vector<std::int16_t>{0, 2}));
}

TEST(SentReminders, KeyNamesTheTaskAndRuleButNotTheDescription)
{
    const TaskRecord task = testsupport::task("Report", "Sam", 2003, 9, 10, 9, 30);
    const AlertRule rule{7, "d", red, popupOn};
    const std::string key = reminderKey(task, rule);
    TaskRecord described = task;
    described.description = "more words";
    EXPECT_EQ(reminderKey(described, rule), key);
    TaskRecord later = task;
    later.hour = 10;
    EXPECT_NE(reminderKey(later, rule), key);
    EXPECT_NE(reminderKey(task, AlertRule{1, "d", red, popupOn}), key);
    // Field boundaries count: "ab" for "c" is not "a" for "bc".
    EXPECT_NE(reminderKey(testsupport::task("ab", "c"), rule), reminderKey(testsupport::task("a", "bc"), rule));
}

TEST(SentReminders, RecordOfTodayOnly)
{
    const DayNumber day = civilDay(2003, 9, 5);
    const SentReminders sent{day, {"0123456789abcdef", "fedcba9876543210"}};
    const std::string text = sentRemindersText(sent);
    EXPECT_EQ(text, "2003-09-05\n0123456789abcdef\nfedcba9876543210\n");
    EXPECT_EQ(readSentReminders(text, day).keys, sent.keys);
    EXPECT_TRUE(readSentReminders(text, day + 1).keys.empty());
    EXPECT_EQ(readSentReminders(text, day + 1).day, day + 1);
    const SentReminders damaged = readSentReminders("2003-09-05\nnot a key\n0123456789abcdef\n0123", day);
    EXPECT_EQ(damaged.keys, (std::set<std::string>{"0123456789abcdef"}));
    EXPECT_TRUE(readSentReminders("", day).keys.empty());
}

TEST(WalkRules, DueDateCarriesAndIgnoresTheTimeOfDay)
{
    TaskRecord t;
    t.year = 2003;
    t.month = 13;
    t.day = 0;
    t.hour = 23;
    EXPECT_EQ(dueDay(t), civilDay(2003, 12, 31));

    // Day and year 0: no date, so not even a rule for everything overdue applies.
    t.year = 0;
    EXPECT_EQ(dueDay(t), std::nullopt);
    const RuleWalk undated =
        walkRules(std::vector<AlertRule>{{32767, "d", red, popupOn}}, civilDay(2003, 9, 5), dueDay(t));
    EXPECT_FALSE(undated.leadColor || undated.popupColor || undated.lastUnitsLeft);
}

} // namespace
