// Interop with todoman, a task program nobody here wrote: it reads what we export, and what it
// writes we import. Skipped where todoman is not installed.
#include "ical/exchange.h"
#include "ical/tests/icaltesting.h"
#include "ical/vtodo.h"
#include "store/tests/filledstore.h"
#include "store/tests/testsupport.h"

#include <array>
#include <cstdio>
#include <memory>

using testsupport::ScratchFolder;
using testsupport::writeBytes;

namespace {

class Todoman : public testing::Test
{
protected:
    void SetUp() override
    {
        if (std::system("command -v todoman >/dev/null 2>&1") != 0)
            GTEST_SKIP() << "todoman is not installed";
        icaltesting::useLocalZone("UTC");
        std::filesystem::create_directories(list_);
        std::filesystem::create_directories(folder_ / "config" / "todoman");
        writeBytes(folder_ / "config" / "todoman" / "config.py",
                   "path = \"" + (folder_ / "calendars").string() +
                       "/*\"\ndate_format = \"%Y-%m-%d\"\ntime_format = \"%H:%M\"\n");
    }

    // The output of one todoman command, run with its own folders in the scratch folder.
    std::string todoman(const std::string& arguments)
    {
        const std::string command = "cd '" + folder_.path().string() + "' && XDG_CONFIG_HOME=config " +
                                    "XDG_CACHE_HOME=cache XDG_DATA_HOME=data TZ=UTC todoman " + arguments;
        std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(command.c_str(), "r"), ::pclose);
        std::string out;
        std::array<char, 4096> buffer{};
        while (pipe && std::fgets(buffer.data(), buffer.size(), pipe.get()))
            out += buffer.data();
        return out;
    }

    ScratchFolder folder_;
    std::filesystem::path list_ = folder_ / "calendars" / "taskwyn";
};

TEST_F(Todoman, ReadsTheTasksWeExport)
{
    TaskRecord task = testsupport::task("Pay the rent", "Landlord", 2026, 12, 31, 9, 30);
    task.description = "Account 42\r\nBefore noon";
    task.uid = "rent-uid";
    // todoman keeps one task per file, as a CalDAV server does.
    writeBytes(list_ / "rent-uid.ics", ical::calendarOfTask(task, nullptr, icaltesting::pinnedNow));
    const std::string shown = todoman("--porcelain list");
    EXPECT_TRUE(testsupport::contains(shown, "\"summary\": \"Pay the rent\"")) << shown;
    EXPECT_TRUE(testsupport::contains(shown, "\"due\": 1798709400")) << shown; // 2026-12-31 09:30 UTC
    EXPECT_TRUE(testsupport::contains(shown, "\"description\": \"Account 42\\nBefore noon\"")) << shown;
}

TEST_F(Todoman, ItsTasksAreImported)
{
    writeBytes(folder_ / "description.txt", "Spruce, not too tall");
    todoman("new -r -l taskwyn --due '2026-12-24 10:30' 'Buy a tree' < description.txt");
    std::string all;
    for (const auto& entry : std::filesystem::directory_iterator(list_))
        all += testsupport::readBytes(entry.path());
    ASSERT_FALSE(all.empty()) << "todoman wrote no task";
    const auto store = icaltesting::importedStore(all);
    ASSERT_EQ(store->taskCount, 1);
    const TaskRecord& t = store->taskList[0];
    EXPECT_EQ(t.title, "Buy a tree");
    EXPECT_EQ(t.description, "Spruce, not too tall");
    EXPECT_EQ(std::make_tuple(t.year, t.month, t.day, t.hour, t.minute), std::make_tuple(2026, 12, 24, 10, 30));
    EXPECT_FALSE(t.uid.empty());
}

} // namespace
