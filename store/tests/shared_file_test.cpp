// One task file, several writers: two stores on one folder stand for two windows, a child process
// for another program saving at the same time. No change may be lost, and no save may fail for it.
#include "os/atomicfile.h"
#include "store/calendar.h"
#include "store/module1.h"
#include "store/taskfile.h"
#include "store/tests/testsupport.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <memory>

using testsupport::folderEntries;
using testsupport::readBytes;
using testsupport::ScratchFolder;
using testsupport::task;
using testsupport::writeBytes;

namespace fs = std::filesystem;

namespace {

const char* const conflictName = "tasks (conflict 2026-12-08 10-31).txt";

// Alpha, Bravo and Charlie saved, and two windows that have read them.
struct TwoWindows
{
    TwoWindows()
    {
        pinNow(LocalTime{civilDay(2026, 12, 8), (10 * 60 + 31) * 60 * 1000});
        for (const char* title : {"Alpha", "Bravo", "Charlie"})
            first->taskList[static_cast<std::size_t>(first->taskCount++)] = task(title);
        EXPECT_TRUE(first->saveTasks().ok);
        EXPECT_TRUE(first->loadTasks().ok);
        EXPECT_TRUE(second->loadTasks().ok);
    }
    ~TwoWindows() { pinNow(std::nullopt); }

    ScratchFolder folder;
    fs::path file = folder / "tasks.txt";
    std::unique_ptr<Module1> first = std::make_unique<Module1>(file);
    std::unique_ptr<Module1> second = std::make_unique<Module1>(file);
};

TEST(SharedFile, SecondWindowIsRefusedAndEitherAnswerKeepsBothVersions)
{
    for (const ConflictChoice choice : {ConflictChoice::TakeOtherVersion, ConflictChoice::KeepMyVersion}) {
        TwoWindows windows;
        windows.first->taskList[0].deleted = recycledMark;
        ASSERT_TRUE(windows.first->saveTasks().ok);
        const std::string firstVersion = readBytes(windows.file);
        windows.second->taskList[1].deleted = recycledMark;
        const std::string secondVersion = taskFileText(*windows.second);

        const SaveReport refused = windows.second->saveTasks();
        EXPECT_FALSE(refused.ok);
        EXPECT_TRUE(refused.conflict);
        EXPECT_EQ(refused.refusal, (SaveRefusal{SaveRefusal::Why::ChangedElsewhere, windows.file}));
        EXPECT_EQ(readBytes(windows.file), firstVersion);

        const SaveReport resolved = windows.second->resolveConflict(choice);
        ASSERT_TRUE(resolved.ok) << testing::PrintToString(resolved.failure);
        const bool tookOther = choice == ConflictChoice::TakeOtherVersion;
        const KeptVersion kept{tookOther ? KeptVersion::Whose::Yours : KeptVersion::Whose::Other,
                               windows.folder / conflictName};
        EXPECT_EQ(resolved.keptVersion, kept);
        EXPECT_EQ(readBytes(windows.file), tookOther ? firstVersion : secondVersion);
        EXPECT_EQ(readBytes(windows.folder / conflictName), tookOther ? secondVersion : firstVersion);
        EXPECT_EQ(folderEntries(windows.folder.path()), (std::vector<std::string>{conflictName, "tasks.txt"}));
    }
}

TEST(SharedFile, OwnSavesAndUnchangedRewritesAreNoConflict)
{
    TwoWindows windows;
    windows.first->taskList[0].deleted = recycledMark;
    ASSERT_TRUE(windows.first->saveTasks().ok);
    // Larger than one piece of the reader, and not a whole number of words.
    windows.first->taskList[1].description = std::string(100003, 'x');
    EXPECT_TRUE(windows.first->saveTasks().ok) << "our own save taken for an outside change";
    EXPECT_FALSE(windows.first->changedOnDisk());

    // A sync tool that puts the same text back: new inode and time, nothing to lose.
    const std::string same = readBytes(windows.file);
    ASSERT_EQ(writeFileAtomically(windows.file, same), std::nullopt);
    EXPECT_FALSE(windows.first->changedOnDisk());
    EXPECT_TRUE(windows.second->changedOnDisk());
    fs::remove(windows.file);
    EXPECT_FALSE(windows.first->changedOnDisk()) << "a missing file holds nothing a save would lose";
}

TEST(SharedFile, ConflictFileNeverReplacesAnExistingFile)
{
    TwoWindows windows;
    writeBytes(windows.folder / conflictName, "someone's file");
    writeBytes(windows.file, "ttl=Changed elsewhere\r\nact=addtask\r\n");
    ASSERT_TRUE(windows.second->saveTasks().conflict);
    const SaveReport kept = windows.second->resolveConflict(ConflictChoice::TakeOtherVersion);
    ASSERT_TRUE(kept.ok) << testing::PrintToString(kept.failure);
    EXPECT_EQ(readBytes(windows.folder / conflictName), "someone's file");
    EXPECT_EQ(readBytes(windows.folder / "tasks (conflict 2026-12-08 10-31 2).txt"), taskFileText(*windows.second));
}

// Another process saves in a loop while this one loads, which clears abandoned temporaries. The
// temporaries are made to look old, as a file server's clock can, so that only the writer's lock
// protects them.
TEST(SharedFile, SavesOfAnotherProcessNeverFailWhileThisOneLoads)
{
    constexpr int rounds = 200;
    TwoWindows windows;
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        int failures = 0;
        for (int round = 0; round < rounds; ++round) {
            windows.first->taskList[0].title = "round " + std::to_string(round);
            failures += windows.first->saveTasks().ok ? 0 : 1;
        }
        ::_exit(std::min(failures, 100));
    }
    int status = 0;
    int loads = 0;
    while (::waitpid(child, &status, WNOHANG) == 0) {
        for (const std::string& name : folderEntries(windows.folder.path())) {
            const timespec old[2] = {{0, UTIME_OMIT}, {::time(nullptr) - 60, 0}};
            if (name.starts_with("tasks.txt.taskwyn-tmp-"))
                ::utimensat(AT_FDCWD, (windows.folder / name).c_str(), old, 0);
        }
        EXPECT_TRUE(windows.second->loadTasks().ok);
        ++loads;
    }
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "saves that failed in the other process";
    EXPECT_GT(loads, 0);
    EXPECT_EQ(folderEntries(windows.folder.path()), std::vector<std::string>{"tasks.txt"});
}

} // namespace
