// Import and export through files: the counts reported, the forms kept, and bad input that must
// leave the task file, the table and the kept forms as they were.
#include "ical/exchange.h"
#include "ical/tests/icaltesting.h"
#include "store/tests/filledstore.h"
#include "store/tests/testsupport.h"

using icaltesting::pinnedNow;
using testsupport::contains;
using testsupport::readBytes;
using testsupport::ScratchFolder;
using testsupport::writeBytes;

namespace {

// A task file with one task, loaded, and an empty place for the kept forms.
struct Workspace
{
    ScratchFolder folder;
    std::unique_ptr<Module1> store =
        testsupport::storeWith({testsupport::task("Here already")}, {}, folder / "tasks.txt");
    ical::KeptForms forms{folder / "state" / "forms.ics"};
    Workspace()
    {
        EXPECT_TRUE(store->saveTasks().ok);
        EXPECT_TRUE(store->loadTasks().ok);
    }
    ical::ImportReport import(std::string_view ics)
    {
        writeBytes(folder / "in.ics", ics);
        return ical::importFile(*store, forms, folder / "in.ics");
    }
};

std::string todos(int count, const std::string& summary = "Task")
{
    std::string ics = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:test\r\n";
    for (int i = 0; i < count; ++i)
        ics += "BEGIN:VTODO\r\nUID:t" + std::to_string(i) + "\r\nSUMMARY:" + summary + "\r\nEND:VTODO\r\n";
    return ics + "END:VCALENDAR\r\n";
}

TEST(Import, CountsWhatItTookAndWhatNotAndKeepsTheForms)
{
    Workspace s;
    const ical::ImportReport first = s.import(icaltesting::fixture("other_program.ics"));
    ASSERT_TRUE(first.ok());
    EXPECT_EQ(first.summary, (ical::ImportSummary{.imported = 2, .events = 1, .journals = 1, .doneBeforeArrival = 1}));
    ASSERT_TRUE(s.store->loadTasks().ok);
    ASSERT_EQ(s.store->taskCount, 3);
    EXPECT_EQ(s.store->taskList[1].uid, "weekly-bins@elsewhere.example");
    EXPECT_EQ(testsupport::modeOf(s.forms.file()), 0600u);
    ical::KeptForms reread(s.forms.file());
    ASSERT_FALSE(reread.load());
    EXPECT_EQ(reread.size(), 2u);
    EXPECT_TRUE(contains(*reread.find("weekly-bins@elsewhere.example"), "RRULE:FREQ=WEEKLY"));

    // The uid made for the VTODO without one finds it again.
    const ical::ImportReport again = s.import(icaltesting::fixture("other_program.ics"));
    EXPECT_EQ(again.summary.alreadyHere, 2);
    EXPECT_FALSE(again.saved);
}

TEST(Import, TakesWhatFitsInTheTableAndCountsTheRest)
{
    Workspace s;
    const ical::ImportReport report = s.import(todos(20000) + todos(1, std::string(1 << 20, 'm')));
    ASSERT_TRUE(report.ok());
    EXPECT_EQ(report.summary.imported, Module1::taskSlots - 1);
    EXPECT_EQ(report.summary.didNotFit, 20000 - report.summary.imported);
    EXPECT_EQ(report.summary.tooLarge, 1);
    EXPECT_EQ(s.store->taskCount, Module1::taskSlots);
}

// Input that must change nothing at all.
struct BadCase
{
    const char* name;
    std::string bytes;
    std::optional<ical::CalendarFault> fault;
};

using BadInput = testing::TestWithParam<BadCase>;

TEST_P(BadInput, ChangesNothingAndSaysWhy)
{
    const auto& c = GetParam();
    Workspace s;
    const std::string before = readBytes(s.store->taskFile());
    const ical::ImportReport report = s.import(c.bytes);
    EXPECT_FALSE(report.ok());
    EXPECT_EQ(report.fault, c.fault);
    EXPECT_EQ(report.failure.has_value(), !c.fault);
    EXPECT_EQ(s.store->taskCount, 1);
    EXPECT_EQ(readBytes(s.store->taskFile()), before);
    EXPECT_FALSE(std::filesystem::exists(s.forms.file()));
}

INSTANTIATE_TEST_SUITE_P(
    Files, BadInput,
    testing::Values(BadCase{"Empty", "", ical::CalendarFault::NotICalendar},
                    BadCase{"NotICalendar", "ttl=a task file\r\nact=addtask\r\n", ical::CalendarFault::NotICalendar},
                    BadCase{"CutOff", todos(3).substr(0, 80), ical::CalendarFault::CutOff},
                    BadCase{"TodoNeverClosed", "BEGIN:VCALENDAR\r\nBEGIN:VTODO\r\nUID:a\r\nEND:VCALENDAR\r\n",
                            ical::CalendarFault::CutOff},
                    BadCase{"JunkAfterTheEnd", todos(1) + "BEGIN:VTODO\r\n", ical::CalendarFault::CutOff},
                    BadCase{"Huge", todos(1) + std::string(ical::largestImportFile, '\n'), std::nullopt}),
    testsupport::caseName<BadCase>);

TEST(Exchange, AFailedSaveOfTheTaskFileLeavesTheTableAsItWas)
{
    Workspace s;
    writeBytes(s.store->taskFile(), "ttl=changed elsewhere\r\nact=addtask\r\n");
    const ical::ImportReport imported = s.import(todos(2));
    ASSERT_TRUE(imported.saved);
    EXPECT_TRUE(imported.saved->conflict);
    EXPECT_EQ(imported.summary.imported, 0);
    EXPECT_EQ(s.store->taskCount, 1);

    const ical::ExportReport exported = ical::exportFile(*s.store, s.forms, s.folder / "out.ics", pinnedNow);
    EXPECT_FALSE(exported.ok());
    EXPECT_EQ(s.store->taskList[0].uid, "");
    EXPECT_FALSE(std::filesystem::exists(s.folder / "out.ics"));
}

TEST(Export, GivesUidsOnceSavesThemAndWritesTheFile)
{
    Workspace s;
    const ical::ExportReport report = ical::exportFile(*s.store, s.forms, s.folder / "out.ics", pinnedNow);
    ASSERT_TRUE(report.ok());
    EXPECT_EQ(report.exported, 1);
    const std::string uid = s.store->taskList[0].uid;
    EXPECT_TRUE(contains(readBytes(s.store->taskFile()), "uid=" + uid + "\r\nact=addtask"));
    EXPECT_TRUE(contains(readBytes(s.folder / "out.ics"), "UID:" + uid + "\r\n"));
}

} // namespace
