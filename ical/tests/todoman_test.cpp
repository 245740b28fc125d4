// Interop with todoman, a task program nobody here wrote: it reads what we export, and what it
// writes we import. Skipped where todoman is not installed.
#include "ical/tests/icaltesting.h"
#include "ical/vtodo.h"
#include "store/tests/testsupport.h"

#include <array>
#include <cstdio>
#include <tuple>

using testsupport::contains;
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
                   "path = \"" + (folder_ / "calendars").string() + "/*\"\ndate_format = \"%Y-%m-%d\"\n");
    }

    // The output of one todoman command, run with folders of its own in the scratch folder.
    std::string todoman(const std::string& arguments)
    {
        const std::string command = "cd '" + folder_.path().string() +
                                    "' && XDG_CONFIG_HOME=config XDG_CACHE_HOME=cache TZ=UTC todoman " + arguments;
        std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(command.c_str(), "r"), ::pclose);
        std::string out;
        for (std::array<char, 4096> buffer{}; pipe && std::fgets(buffer.data(), buffer.size(), pipe.get());)
            out += buffer.data();
        return out;
    }

    testsupport::ScratchFolder folder_;
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
    EXPECT_TRUE(contains(shown, "\"summary\": \"Pay the rent\"")) << shown;
    EXPECT_TRUE(contains(shown, "\"due\": 1798709400")) << shown; // 2026-12-31 09:30 UTC
    EXPECT_TRUE(contains(shown, "\"description\": \"Account 42\\nBefore noon\"")) << shown;
}

TEST_F(Todoman, ItsTasksAreImported)
{
    writeBytes(folder_ / "description.txt", "Spruce, not too tall");
    todoman("new -r -l taskwyn --due '2026-12-24 10:30' 'Buy a tree' < description.txt");
    std::string written;
    for (const auto& entry : std::filesystem::directory_iterator(list_))
        written += testsupport::readBytes(entry.path());
    const auto store = icaltesting::importedStore(written);
    ASSERT_EQ(store->taskCount, 1) << written;
    const TaskRecord& t = store->taskList[0];
    EXPECT_EQ(std::tie(t.title, t.description), std::tuple("Buy a tree", "Spruce, not too tall"));
    EXPECT_EQ(std::tuple(t.year, t.month, t.day, t.hour, t.minute), std::tuple(2026, 12, 24, 10, 30));
}

} // namespace
