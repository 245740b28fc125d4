#include "alertpage/frmstartup.h"
#include "alertpage/pagefile.h"
#include "os/tests/filetesting.h"
#include "store/duetext.h"
#include "store/module1.h"
#include "store/tests/filledstore.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;
using testsupport::modeOf;

namespace {

const DayNumber march10 = civilDay(2024, 3, 10);
constexpr std::int32_t red = 0x0000FF;
constexpr std::int32_t green = 0x00FF00;

struct Due
{
    int month, day, hour, minute;
};

struct TaskSpec
{
    std::string title;
    std::string forWhom;
    Due due;
    std::string description = {};
    std::string deleted = {};
};

TaskRecord makeTask(const TaskSpec& given)
{
    TaskRecord task;
    task.title = given.title;
    task.forWhom = given.forWhom;
    task.year = given.due.day == 0 ? 0 : 2024; // day 0 here stands for a task never given a date
    task.month = static_cast<std::int16_t>(given.due.month);
    task.day = static_cast<std::int16_t>(given.due.day);
    task.hour = static_cast<std::int16_t>(given.due.hour);
    task.minute = static_cast<std::int16_t>(given.due.minute);
    task.description = given.description;
    task.deleted = given.deleted;
    task.dueKey = dueKey(task);
    return task;
}

void fill(Module1& store, const std::vector<AlertRule>& rules, const std::vector<TaskSpec>& tasks)
{
    std::vector<TaskRecord> made(tasks.size());
    std::transform(tasks.begin(), tasks.end(), made.begin(), makeTask);
    testsupport::setTasks(store, made);
    testsupport::setRules(store, rules);
}

std::string golden(const std::string& name)
{
    const fs::path path = fs::path(ALERTPAGE_TEST_DATA) / name;
    EXPECT_TRUE(fs::exists(path)) << path;
    return testsupport::readBytes(path);
}

struct PageCase
{
    std::string name;
    std::vector<AlertRule> rules;
    std::vector<TaskSpec> tasks;
    std::string goldenFile;
};

void PrintTo(const PageCase& c, std::ostream* out)
{
    *out << c.name;
}

const AlertRule popupRed7{7, "d", red, popupOn};

std::vector<PageCase> pageCases()
{
    return {
        {"NoPopupRule",
         {{7, "d", red, 0}, {30, "d", green, 0}},
         {{"Report", "Ann", {3, 13, 14, 30}}, {"Call", "Bob", {3, 10, 9, 5}}},
         "head_only.html"},
        {"NoTasks", {popupRed7}, {}, "head_only.html"},
        {"NoDueDateNeverOnPage",
         {{32767, "d", red, popupOn}},
         {{"Someday", "Ann", {0, 0, 0, 0}}, {"Some time in May", "", {5, 0, 9, 0}}},
         "head_only.html"},
        {"PopupRedUpcomingTodayAndLate",
         {popupRed7},
         {{"Report", "Ann", {3, 13, 14, 30}, "Draft first"},
          {"Later", "Dan", {3, 25, 8, 0}, "Beyond the rule"},
          {"Call", "Bob", {3, 10, 9, 5}},
          {"Invoice", "Cy", {3, 6, 17, 0}, "Overdue"}},
         "popup_red.html"},
        {"RecycledNeverOnPage",
         {popupRed7},
         {{"Recycled", "Ann", {3, 11, 10, 0}, "", "Y"},
          {"Lower-case mark", "Ann", {3, 12, 10, 0}, "", "y"},
          {"No mark", "Ann", {3, 13, 10, 0}, "", ""}},
         "recycled.html"},
        // The top byte of a colour is not part of it.
        {"ColorText030201", {{5, "d", 0x55010203, popupOn}}, {{"Colour", "Ann", {3, 12, 10, 0}}}, "color_030201.html"},
        {"TwoTasksInDueOrder",
         {popupRed7},
         {{"Second", "Bob", {3, 14, 9, 0}}, {"First", "Ann", {3, 12, 16, 0}}},
         "due_order.html"},
        {"MarkupShownAsText",
         {{7, "d", 0x0080FF, popupOn}},
         {{"<b>Bold</b> & co", "R&D <i>", {3, 11, 12, 0}, "Line one\r\nLine <u>two</u> & more \u00e9t\u00e9"}},
         "markup.html"},
        {"AddressAndComparisonsShownAsText",
         {popupRed7},
         {{"Tom & \"Jerry\" <tj@x.org>", "Ann", {3, 11, 9, 0}}, {"1 < 2 && 3 > 2", "x>y", {3, 12, 9, 0}, "a<b && b>c"}},
         "text_not_markup.html"},
        // An unclosed comment in one title must not hide the alerts after it.
        {"CommentOpenerHidesNothing",
         {popupRed7},
         {{"FIRST <!-- ", "Ann", {3, 10, 8, 0}}, {"SECOND", "Bob", {3, 10, 9, 0}}, {"THIRD", "Cy", {3, 10, 10, 0}}},
         "comment_opener.html"},
        {"PopupLeaderBeforeSmallerPlainRule",
         {{10, "d", red, popupOn}, {3, "d", green, 0}},
         {{"Soon", "Ann", {3, 12, 10, 0}}},
         "rule_order_a_first.html"},
        {"PlainRuleBeforeLargerPopupRule",
         {{3, "d", green, 0}, {10, "d", red, popupOn}},
         {{"Soon", "Ann", {3, 12, 10, 0}}},
         "head_only.html"},
    };
}

class AttentionPage : public testing::TestWithParam<PageCase>
{
};

TEST_P(AttentionPage, MatchesGoldenPage)
{
    Module1 store;
    fill(store, GetParam().rules, GetParam().tasks);
    EXPECT_EQ(attentionPageText(store, march10), golden(GetParam().goldenFile));
}

INSTANTIATE_TEST_SUITE_P(Cases, AttentionPage, testing::ValuesIn(pageCases()),
                         [](const testing::TestParamInfo<PageCase>& row) { return row.param.name; });

TEST(AttentionPageStore, LeavesTheTableSortedByDueDate)
{
    Module1 store;
    store.sortKey = 0;
    fill(store, {}, {{"b", "", {3, 20, 0, 0}}, {"a", "", {3, 1, 0, 0}}, {"c", "", {3, 5, 0, 0}}});
    attentionPageText(store, march10);
    EXPECT_EQ(store.sortKey, 2);
    EXPECT_EQ(testsupport::slotTitles(store, 3), (std::vector<std::string>{"a", "c", "b"}));
}

// Month 0 is December of the year before when counting days, and is written back as 1 by the date text.
TEST(AttentionPageStore, MonthZeroCountsAsDecemberAndIsWrittenBackAsJanuary)
{
    Module1 store;
    fill(store, {{7, "d", red, popupOn}}, {{"Old", "", {0, 31, 0, 0}}});
    store.taskList[0].year = 2024;
    const std::string page = attentionPageText(store, civilDay(2023, 12, 29));
    EXPECT_NE(page.find("January 31/24"), std::string::npos);
    EXPECT_NE(page.find(" 2 days left "), std::string::npos);
    EXPECT_EQ(store.taskList[0].month, 1);
}

TEST(AttentionPageStore, RuleCountOutsideTheTableIsClamped)
{
    Module1 store;
    fill(store, {popupRed7}, {{"Only", "", {3, 12, 0, 0}}});
    store.ruleCount = -1;
    EXPECT_EQ(attentionPageText(store, march10), golden("head_only.html"));
    store.ruleList.fill(popupRed7);
    store.ruleCount = 500;
    EXPECT_NE(attentionPageText(store, march10), golden("head_only.html"));
}

// Each test gets a fresh cache folder, under /tmp so that an ordinary user can reach it, and a pinned day.
class PageFile : public testing::Test
{
protected:
    void SetUp() override
    {
        pinToday(march10);
        fill(store_, {popupRed7}, {{"Report", "Ann", {3, 13, 14, 30}, "Draft first"}});
    }
    void TearDown() override { pinToday(std::nullopt); }

    // The page's folder refused it, for the reason `kind`.
    std::optional<PageFailure> folderRefused(FailureReason::Kind kind, int error = 0) const
    {
        return PageFailure{FileFailure{FileAction::WriteInFolder, cache_ / "taskwyn", {kind, error}}};
    }

    const testsupport::ScratchFolder root_{fs::temp_directory_path()};
    const fs::path cache_ = root_ / "fresh" / "cache";
    testsupport::EnvironmentOverride cacheEnvironment_{"XDG_CACHE_HOME", cache_.string()};
    Module1 store_;
    frmStartup page_;
};

TEST_F(PageFile, PathFollowsXdgCacheHomeOrFallsBackToHome)
{
    EXPECT_EQ(alertPagePath(), cache_ / "taskwyn" / "al.html");
    const testsupport::EnvironmentOverride home("HOME", "/home/someone");
    for (const char* unusable : {"", "relative/cache"}) {
        const testsupport::EnvironmentOverride cache("XDG_CACHE_HOME", unusable);
        EXPECT_EQ(alertPagePath(), fs::path("/home/someone/.cache/taskwyn/al.html")) << unusable;
    }
    ::unsetenv("XDG_CACHE_HOME");
    EXPECT_EQ(alertPagePath(), fs::path("/home/someone/.cache/taskwyn/al.html"));
}

TEST_F(PageFile, CreatedPrivateInAFreshCacheFolder)
{
    ::umask(022);
    ASSERT_EQ(page_.makepage(store_), std::nullopt);
    const fs::path page = cache_ / "taskwyn" / "al.html";
    EXPECT_EQ(testsupport::readBytes(page), attentionPageText(store_, march10));
    EXPECT_EQ(modeOf(cache_ / "taskwyn"), 0700u);
    EXPECT_EQ(modeOf(cache_), 0700u);
    EXPECT_EQ(modeOf(page), 0600u);

    // A second call replaces the page, private again whatever the old one's mode, and leaves
    // nothing else in the folder.
    fs::permissions(page, fs::perms(0644));
    store_.taskCount = 0;
    ASSERT_EQ(page_.makepage(store_), std::nullopt);
    EXPECT_EQ(testsupport::readBytes(page), golden("head_only.html"));
    EXPECT_EQ(modeOf(page), 0600u);
    EXPECT_EQ(std::distance(fs::directory_iterator(cache_ / "taskwyn"), fs::directory_iterator()), 1);
}

TEST_F(PageFile, ExistingFolderOfOursIsMadePrivate)
{
    fs::create_directories(cache_ / "taskwyn");
    fs::permissions(cache_ / "taskwyn", fs::perms(0777));
    ASSERT_EQ(page_.makepage(store_), std::nullopt);
    EXPECT_EQ(modeOf(cache_ / "taskwyn"), 0700u);
}

TEST_F(PageFile, LinkedFolderIsRefusedAndNothingWrittenThroughIt)
{
    const fs::path elsewhere = root_ / "elsewhere";
    fs::create_directories(elsewhere);
    fs::create_directories(cache_);
    fs::create_directory_symlink(elsewhere, cache_ / "taskwyn");

    EXPECT_EQ(page_.makepage(store_), folderRefused(FailureReason::Kind::SymbolicLink));
    EXPECT_TRUE(fs::is_empty(elsewhere));
    // The store is still sorted for the list, even though the page could not be written.
    EXPECT_EQ(store_.sortKey, 2);
}

TEST_F(PageFile, NonFolderAndLinkedPageAreRefused)
{
    fs::create_directories(cache_);
    std::ofstream(cache_ / "taskwyn") << "not a folder";
    EXPECT_EQ(page_.makepage(store_), folderRefused(FailureReason::Kind::NotAFolder));
    EXPECT_EQ(testsupport::readBytes(cache_ / "taskwyn"), "not a folder");

    fs::remove(cache_ / "taskwyn");
    fs::create_directories(cache_ / "taskwyn");
    const fs::path victim = root_ / "victim.txt";
    std::ofstream(victim) << "keep me";
    fs::create_symlink(victim, cache_ / "taskwyn" / "al.html");
    const FileFailure notPlain{
        FileAction::WriteFile, cache_ / "taskwyn" / "al.html", {FailureReason::Kind::NotPlainFile}};
    EXPECT_EQ(page_.makepage(store_), PageFailure{notPlain});
    EXPECT_EQ(testsupport::readBytes(victim), "keep me");
}

TEST_F(PageFile, FolderOfAnotherUserIsRefused)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "only root can give a folder to another user";
    fs::create_directories(cache_ / "taskwyn");
    ASSERT_EQ(::chown((cache_ / "taskwyn").c_str(), 65534, 65534), 0);
    EXPECT_EQ(page_.makepage(store_), folderRefused(FailureReason::Kind::OtherUsersFolder));
    EXPECT_TRUE(fs::is_empty(cache_ / "taskwyn"));
}

TEST_F(PageFile, UnwritableCacheIsReportedAsTheFolders)
{
    fs::create_directories(cache_);
    fs::permissions(root_.path(), fs::perms(0755)); // an ordinary user can reach the cache but not write in it
    fs::permissions(cache_, fs::perms(0555));
    const std::string outcome = testsupport::runUnprivileged([this]() -> std::string {
        return page_.makepage(store_) == folderRefused(FailureReason::Kind::FolderNotCreated, EACCES)
                   ? ""
                   : "the page was written, or the failure was another";
    });
    fs::permissions(cache_, fs::perms(0700));
    EXPECT_EQ(outcome, "");
}

} // namespace
