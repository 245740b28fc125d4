// Module1 against the real file: a missing, unreadable or older file, tables that overflow, a
// folder that cannot be written. In each case nothing the file held may be lost silently.
#include "store/module1.h"
#include "store/tests/testsupport.h"
#include "store/textcodec.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <functional>
#include <memory>

using testsupport::contains;
using testsupport::fixture;
using testsupport::folderEntries;
using testsupport::readBytes;
using testsupport::ReadOnlyFolder;
using testsupport::runUnprivileged;
using testsupport::ScratchFolder;
using testsupport::writeBytes;

namespace fs = std::filesystem;

namespace {

TEST(TaskStoreFile, MissingFileIsAnEmptyStoreAndTheFirstSaveCreatesIt)
{
    ScratchFolder folder;
    auto store = std::make_unique<Module1>(folder / "tasks.txt");
    store->taskCount = 3;
    const LoadReport loaded = store->loadTasks();
    EXPECT_TRUE(loaded.ok);
    EXPECT_FALSE(loaded.notice);
    EXPECT_EQ(store->taskCount, 0);
    EXPECT_EQ(store->ruleCount, 0);

    const SaveReport saved = store->saveTasks();
    EXPECT_TRUE(saved.ok) << testing::PrintToString(saved.failure);
    EXPECT_FALSE(saved.backupKept);
    EXPECT_EQ(readBytes(folder / "tasks.txt"), fixture("empty_store.txt"));
    EXPECT_EQ(folderEntries(folder.path()), std::vector<std::string>{"tasks.txt"});
}

TEST(TaskStoreFile, FolderInPlaceOfTheFileIsReportedAndNotWrittenOverUntilALoadWorks)
{
    ScratchFolder folder;
    const fs::path file = folder / "tasks.txt";
    fs::create_directory(file);
    writeBytes(file / "inside", "kept");
    auto store = std::make_unique<Module1>(file);

    const LoadReport loaded = store->loadTasks();
    EXPECT_FALSE(loaded.ok);
    EXPECT_EQ(loaded.failure, (FileFailure{FileAction::ReadFile, file, FailureReason::system(EISDIR)}));

    store->taskCount = 1;
    const SaveReport refused = store->saveTasks();
    EXPECT_FALSE(refused.ok);
    EXPECT_EQ(refused.refusal, (SaveRefusal{SaveRefusal::Why::LoadFailed, file}));
    EXPECT_TRUE(fs::is_directory(file));
    EXPECT_EQ(readBytes(file / "inside"), "kept");

    fs::remove_all(file);
    writeBytes(file, fixture("tasks_and_rules.txt"));
    ASSERT_TRUE(store->loadTasks().ok);
    EXPECT_EQ(store->taskCount, 2);
    EXPECT_TRUE(store->saveTasks().ok);
}

TEST(TaskStoreFile, UnreadableFileIsReportedAndNotWrittenOver)
{
    ReadOnlyFolder folder;
    fs::permissions(folder.path(), fs::perms::all); // the refusal must come from the store, not the folder
    const fs::path file = folder / "tasks.txt";
    writeBytes(file, fixture("tasks_and_rules.txt"));
    fs::permissions(file, fs::perms::none);

    const std::string outcome = runUnprivileged([&]() -> std::string {
        auto store = std::make_unique<Module1>(file);
        const LoadReport loaded = store->loadTasks();
        if (loaded.ok)
            return "the load of an unreadable file reported success";
        if (loaded.failure != FileFailure{FileAction::ReadFile, file, FailureReason::system(EACCES)})
            return "load reason: " + testing::PrintToString(loaded.failure);
        store->taskCount = 1;
        store->taskList[0].title = "typed after the failed load";
        const SaveReport saved = store->saveTasks();
        if (saved.ok || !saved.refusal)
            return "the save over an unreadable file was not refused";
        return {};
    });
    EXPECT_EQ(outcome, "");
    fs::permissions(file, fs::perms::owner_read);
    EXPECT_EQ(readBytes(file), fixture("tasks_and_rules.txt"));
    EXPECT_EQ(folderEntries(folder.path()), std::vector<std::string>{"tasks.txt"});
}

struct ReadOnlyCase
{
    const char* name;
    bool sealFolder;
    fs::perms fileMode;
    bool folderNamed; // the message sends the user to the folder rather than the file
    friend void PrintTo(const ReadOnlyCase& c, std::ostream* os) { *os << c.name; }
};

class ReadOnly : public testing::TestWithParam<ReadOnlyCase>
{
};

TEST_P(ReadOnly, KeepsTheOldFileAndSaysWhatRefused)
{
    const auto& c = GetParam();
    ReadOnlyFolder folder;
    const fs::path file = folder / "tasks.txt";
    writeBytes(file, fixture("tasks_and_rules.txt"));
    fs::permissions(file, c.fileMode);
    // The user's own file: the unprivileged child must be refused by the mode bits, not by ownership.
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown(file.c_str(), 65534, 65534), 0);
    }
    if (c.sealFolder)
        folder.seal();
    else
        fs::permissions(folder.path(), fs::perms::all);

    const std::string outcome = runUnprivileged([&]() -> std::string {
        auto store = std::make_unique<Module1>(file);
        const LoadReport loaded = store->loadTasks();
        if (!loaded.ok)
            return "load failed: " + testing::PrintToString(loaded.failure);
        store->taskList[0].title = "changed";
        const SaveReport saved = store->saveTasks();
        if (saved.ok)
            return "the save reported success";
        const FileFailure expected =
            c.folderNamed ? FileFailure{FileAction::WriteInFolder, folder.path(), FailureReason::system(EACCES)}
                          : FileFailure{FileAction::WriteFile, file, {FailureReason::Kind::ReadOnly}};
        return saved.failure == expected ? "" : "save reason: " + testing::PrintToString(saved.failure);
    });
    EXPECT_EQ(outcome, "");
    EXPECT_EQ(readBytes(file), fixture("tasks_and_rules.txt"));
    EXPECT_EQ(fs::status(file).permissions(), c.fileMode);
    EXPECT_EQ(folderEntries(folder.path()), std::vector<std::string>{"tasks.txt"});
}

INSTANTIATE_TEST_SUITE_P(TaskStoreFile, ReadOnly,
                         testing::Values(ReadOnlyCase{"Folder", true, fs::perms(0644), true},
                                         ReadOnlyCase{"FileInAWritableFolder", false, fs::perms(0444), false},
                                         ReadOnlyCase{"FileWithGroupWriteOnly", false, fs::perms(0464), false}),
                         testsupport::caseName<ReadOnlyCase>);

// Named by kind: a file that never ends or is far too large must be refused before it is read, at
// once, and never be replaced by a save.
struct HostileCase
{
    const char* name;
    std::function<void(const fs::path&)> make;
    FailureReason reason;
    friend void PrintTo(const HostileCase& c, std::ostream* os) { *os << c.name; }
};

class Hostile : public testing::TestWithParam<HostileCase>
{
};

long peakKilobytes()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

TEST_P(Hostile, IsRefusedWithoutReadingAndNeverWrittenOver)
{
    const auto& c = GetParam();
    ScratchFolder folder(fs::temp_directory_path()); // a short path, as a socket's name must be
    const fs::path file = folder / "tasks.txt";
    c.make(file);
    const auto kindAndSize = [&file] {
        const fs::file_status status = fs::symlink_status(file);
        return std::pair(status.type(), fs::is_regular_file(status) ? fs::file_size(file) : 0);
    };
    const auto before = kindAndSize();

    const std::string outcome = testsupport::runInChild(
        [&]() -> std::string {
            const long peakBefore = peakKilobytes();
            auto store = std::make_unique<Module1>(file);
            const LoadReport loaded = store->loadTasks();
            if (loaded.ok || !loaded.failure || loaded.failure->reason != c.reason)
                return "load: " + testing::PrintToString(loaded.failure);
            if (peakKilobytes() - peakBefore > 16 * 1024)
                return "the refused load took " + std::to_string(peakKilobytes() - peakBefore) + " KiB";
            store->taskCount = 1;
            return store->saveTasks().ok ? "the save after the refused load reported success" : "";
        },
        std::chrono::seconds(30));
    EXPECT_EQ(outcome, "");
    EXPECT_EQ(kindAndSize(), before);
    EXPECT_EQ(folderEntries(folder.path()), std::vector<std::string>{"tasks.txt"});
}

FailureReason notRegular(FileKind kind)
{
    return {FailureReason::Kind::NotRegularFile, 0, kind};
}

const HostileCase hostileCases[] = {
    {"NamedPipe", [](const fs::path& file) { ASSERT_EQ(::mkfifo(file.c_str(), 0600), 0); },
     notRegular(FileKind::NamedPipe)},
    {"DeviceThroughALink", [](const fs::path& file) { fs::create_symlink("/dev/zero", file); },
     notRegular(FileKind::CharacterDevice)},
    {"Socket",
     [](const fs::path& file) {
         sockaddr_un address{};
         address.sun_family = AF_UNIX;
         file.string().copy(address.sun_path, sizeof address.sun_path - 1);
         const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
         ASSERT_EQ(::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
         ::close(fd);
     },
     notRegular(FileKind::Socket)},
    {"SparseFileOver256MiB",
     [](const fs::path& file) {
         writeBytes(file, "");
         fs::resize_file(file, std::uintmax_t{300} << 20);
     },
     {FailureReason::Kind::TooLarge, 0, FileKind::Unknown, 256}},
};

INSTANTIATE_TEST_SUITE_P(TaskStoreFile, Hostile, testing::ValuesIn(hostileCases), testsupport::caseName<HostileCase>);

TEST(TaskStoreFile, OlderEncodingIsReadWithItsAccentsAndKeptAsBackup)
{
    ScratchFolder folder;
    const fs::path file = folder / "tasks.txt";
    const std::string original = fixture("cp1252_tasks.txt");
    writeBytes(file, original);
    fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write);
    auto store = std::make_unique<Module1>(file);

    const LoadReport loaded = store->loadTasks();
    ASSERT_TRUE(loaded.ok);
    EXPECT_TRUE(loaded.olderEncoding);
    EXPECT_EQ(loaded.notice, (LoadNotice{file, folder / "tasks.txt.bak"}));
    ASSERT_EQ(store->taskCount, 1);
    EXPECT_EQ(store->taskList[0].title, "Caf\u00E9 cr\u00E8me");
    EXPECT_EQ(store->taskList[0].forWhom, "\u20AC 5 for Ren\u00E9e");
    EXPECT_EQ(store->taskList[0].description, "x\u0081y\r\nna\u00EFve");
    EXPECT_EQ(store->ruleCount, 1);
    EXPECT_FALSE(fs::exists(store->backupFile())) << "nothing is written before the first save";

    const SaveReport saved = store->saveTasks();
    ASSERT_TRUE(saved.ok) << testing::PrintToString(saved.failure);
    EXPECT_EQ(saved.backupKept, folder / "tasks.txt.bak");
    EXPECT_EQ(readBytes(store->backupFile()), original);
    EXPECT_EQ(fs::status(store->backupFile()).permissions(), fs::status(file).permissions())
        << "the copy of a private file must stay private";
    const std::string converted = readBytes(file);
    EXPECT_TRUE(isStrictUtf8(converted));
    EXPECT_TRUE(contains(converted, "\r\nttl=Caf\u00E9 cr\u00E8me\r\n"));

    writeBytes(store->backupFile(), "the first copy");
    EXPECT_TRUE(store->saveTasks().ok);
    EXPECT_EQ(readBytes(store->backupFile()), "the first copy") << "a later save must not replace the copy";

    auto reread = std::make_unique<Module1>(file);
    const LoadReport again = reread->loadTasks();
    EXPECT_FALSE(again.olderEncoding);
    EXPECT_EQ(reread->taskList[0], store->taskList[0]);
}

TEST(TaskStoreFile, NoSaveWhenTheBackupCannotBeWritten)
{
    ScratchFolder folder;
    const fs::path file = folder / "tasks.txt";
    const std::string original = fixture("cp1252_tasks.txt");
    writeBytes(file, original);
    fs::create_directory(folder / "tasks.txt.bak");
    auto store = std::make_unique<Module1>(file);
    ASSERT_TRUE(store->loadTasks().olderEncoding);

    const SaveReport saved = store->saveTasks();
    EXPECT_FALSE(saved.ok);
    EXPECT_EQ(saved.failure,
              (FileFailure{FileAction::WriteFile, folder / "tasks.txt.bak", FailureReason::system(EISDIR)}));
    EXPECT_EQ(readBytes(file), original);
}

std::string manyBlocks(int tasks, int rules)
{
    std::string text = "; Taskwyn\r\n[Tasks]\r\n";
    for (int i = 0; i < tasks; ++i)
        text += "ttl=task " + std::to_string(i) + "\r\nact=addtask\r\n";
    text += "[Alerts]\r\n";
    for (int i = 0; i < rules; ++i)
        text += "val=" + std::to_string(i) + "\r\nact=addalert\r\n";
    return text;
}

struct OverflowCase
{
    const char* name;
    int tasks;
    int rules;
    int tasksLeftOut;
    int rulesLeftOut;
    friend void PrintTo(const OverflowCase& c, std::ostream* os) { *os << c.name; }
};

class Overflow : public testing::TestWithParam<OverflowCase>
{
};

TEST_P(Overflow, LoadsWhatFitsReportsTheRestAndKeepsTheWholeFile)
{
    const auto& c = GetParam();
    ScratchFolder folder;
    const fs::path file = folder / "tasks.txt";
    const std::string original = manyBlocks(c.tasks, c.rules);
    writeBytes(file, original);
    auto store = std::make_unique<Module1>(file);

    const LoadReport loaded = store->loadTasks();
    ASSERT_TRUE(loaded.ok);
    EXPECT_EQ(store->taskCount, std::min(c.tasks, Module1::taskSlots));
    EXPECT_EQ(store->ruleCount, std::min(c.rules, Module1::ruleSlots));
    EXPECT_EQ(loaded.tasksLeftOut, c.tasksLeftOut);
    EXPECT_EQ(loaded.rulesLeftOut, c.rulesLeftOut);
    EXPECT_EQ(store->taskList[1000].title, "task 1000");
    EXPECT_EQ(store->ruleList[100].value, 100);

    const bool leftOut = c.tasksLeftOut > 0 || c.rulesLeftOut > 0;
    EXPECT_EQ(loaded.notice.has_value(), leftOut);
    const SaveReport saved = store->saveTasks();
    ASSERT_TRUE(saved.ok) << testing::PrintToString(saved.failure);
    EXPECT_EQ(saved.backupKept.has_value(), leftOut);
    if (leftOut) {
        EXPECT_EQ(readBytes(store->backupFile()), original);
    } else {
        EXPECT_FALSE(fs::exists(store->backupFile()));
    }

    const LoadReport reread = store->loadTasks();
    EXPECT_EQ(reread.tasksLeftOut + reread.rulesLeftOut, 0);
    EXPECT_EQ(store->taskCount, Module1::taskSlots);
}

INSTANTIATE_TEST_SUITE_P(Tables, Overflow,
                         testing::Values(OverflowCase{"ExactlyFull", 1001, 101, 0, 0},
                                         OverflowCase{"BothOver", 1005, 103, 4, 2},
                                         OverflowCase{"OneTaskOver", 1002, 101, 1, 0},
                                         OverflowCase{"OneRuleOver", 1001, 102, 0, 1}),
                         testsupport::caseName<OverflowCase>);

} // namespace
