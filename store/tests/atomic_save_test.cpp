// Replacing a file atomically: a write that fails anywhere leaves the old file whole and no
// temporary behind; permissions and symbolic links survive; stale temporaries are cleared.
#include "os/atomicfile.h"
#include "store/tests/testsupport.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

using testsupport::folderEntries;
using testsupport::modeOf;
using testsupport::readBytes;
using testsupport::ScratchFolder;
using testsupport::writeBytes;
using testsupport::writeStaleBytes;

namespace fs = std::filesystem;

namespace {

const std::string oldContent = "; the old file\r\nttl=keep me\r\nact=addtask\r\n";
const std::string newContent = [] {
    std::string text;
    for (int i = 0; i < 40; ++i)
        text += "ttl=new task " + std::to_string(i) + "\r\nact=addtask\r\n";
    return text;
}();

// A disk that fills after `budget` bytes, taking at most `chunk` bytes per call.
WriteCall diskFullAfter(std::size_t budget, std::size_t chunk = SIZE_MAX)
{
    return [budget, chunk](int fd, const void* data, std::size_t size) mutable -> ssize_t {
        if (budget == 0) {
            errno = ENOSPC;
            return -1;
        }
        const std::size_t take = std::min({size, budget, chunk});
        const ssize_t written = ::write(fd, data, take);
        if (written > 0)
            budget -= static_cast<std::size_t>(written);
        return written;
    };
}

TEST(AtomicSave, DiskFullAtEveryOffsetLeavesTheOldFileWhole)
{
    ScratchFolder folder;
    const fs::path file = folder / "tasks.txt";
    writeBytes(file, oldContent);
    for (std::size_t offset = 0; offset < newContent.size(); ++offset) {
        const auto failure = writeFileAtomically(file, newContent, 0666, diskFullAfter(offset, 7));
        ASSERT_TRUE(failure.has_value()) << "offset " << offset;
        // A full disk is not the folder's refusal: the file is named.
        ASSERT_EQ(failure, (FileFailure{FileAction::WriteFile, file, FailureReason::system(ENOSPC)}))
            << "offset " << offset;
        ASSERT_EQ(readBytes(file), oldContent) << "offset " << offset;
        ASSERT_EQ(folderEntries(folder.path()), std::vector<std::string>{"tasks.txt"}) << "offset " << offset;
    }
    EXPECT_EQ(writeFileAtomically(file, newContent, 0666, diskFullAfter(newContent.size(), 7)), std::nullopt);
    EXPECT_EQ(readBytes(file), newContent);
    EXPECT_EQ(folderEntries(folder.path()), std::vector<std::string>{"tasks.txt"});
}

TEST(AtomicSave, ShortAndInterruptedWritesStillWriteEverything)
{
    ScratchFolder folder;
    const fs::path file = folder / "tasks.txt";
    bool interrupted = false;
    const WriteCall oneByteAtATime = [&](int fd, const void* data, std::size_t) -> ssize_t {
        if (!interrupted) {
            interrupted = true;
            errno = EINTR;
            return -1;
        }
        return ::write(fd, data, 1);
    };
    EXPECT_EQ(writeFileAtomically(file, newContent, 0666, oneByteAtATime), std::nullopt);
    EXPECT_EQ(readBytes(file), newContent);
}

TEST(AtomicSave, WriterThatMakesNoProgressIsAFailure)
{
    ScratchFolder folder;
    const fs::path file = folder / "tasks.txt";
    writeBytes(file, oldContent);
    const WriteCall stuck = [](int, const void*, std::size_t) -> ssize_t { return 0; };
    EXPECT_TRUE(writeFileAtomically(file, newContent, 0666, stuck).has_value());
    EXPECT_EQ(readBytes(file), oldContent);
    EXPECT_EQ(folderEntries(folder.path()), std::vector<std::string>{"tasks.txt"});
}

TEST(AtomicSave, MissingFolderIsReported)
{
    ScratchFolder folder;
    const auto failure = writeFileAtomically(folder / "absent" / "tasks.txt", newContent);
    ASSERT_TRUE(failure.has_value());
    EXPECT_EQ(failure->reason, FailureReason::system(ENOENT));
}

TEST(AtomicSave, PipeInTheFilesPlaceIsNeverReplaced)
{
    ScratchFolder folder;
    ASSERT_EQ(::mkfifo((folder / "pipe").c_str(), 0600), 0);
    fs::create_symlink("pipe", folder / "tasks.txt");
    for (const char* name : {"pipe", "tasks.txt"}) {
        const auto failure = writeFileAtomically(folder / name, newContent);
        ASSERT_TRUE(failure.has_value()) << name;
        EXPECT_EQ(failure->reason, (FailureReason{FailureReason::Kind::NotRegularFile, 0, FileKind::NamedPipe}));
        EXPECT_TRUE(fs::is_fifo(folder / "pipe"));
    }
    EXPECT_EQ(folderEntries(folder.path()), (std::vector<std::string>{"pipe", "tasks.txt"}));
}

TEST(AtomicSave, ExistingFileKeepsItsPermissionsUnlessTheyAreReplaced)
{
    ScratchFolder folder;
    const fs::path file = folder / "tasks.txt";
    const mode_t previous = ::umask(022);
    for (const mode_t mode : {0600, 0640, 0444, 0604}) {
        writeBytes(file, oldContent);
        ::chmod(file.c_str(), mode);
        ASSERT_EQ(writeFileAtomically(file, newContent, 0666), std::nullopt);
        EXPECT_EQ(modeOf(file), mode);
        EXPECT_EQ(readBytes(file), newContent);
        ASSERT_EQ(writeFileAtomically(file, oldContent, 0600, {}, ExistingMode::Replaced), std::nullopt);
        EXPECT_EQ(modeOf(file), 0600u);
        fs::remove(file);
    }
    ::umask(previous);
}

TEST(AtomicSave, NewFileGetsTheRequestedModeUnderTheUmask)
{
    ScratchFolder folder;
    const mode_t previous = ::umask(022);
    EXPECT_EQ(writeFileAtomically(folder / "private.html", "x", 0600), std::nullopt);
    EXPECT_EQ(writeFileAtomically(folder / "shared.txt", "x", 0666), std::nullopt);
    ::umask(previous);
    EXPECT_EQ(modeOf(folder / "private.html"), 0600u);
    EXPECT_EQ(modeOf(folder / "shared.txt"), 0644u);
}

TEST(AtomicSave, SymbolicLinkStaysALinkAndItsTargetIsReplaced)
{
    ScratchFolder folder;
    fs::create_directory(folder / "data");
    writeBytes(folder / "data" / "real.txt", oldContent);
    fs::create_symlink("data/real.txt", folder / "tasks.txt");

    ASSERT_EQ(writeFileAtomically(folder / "tasks.txt", newContent), std::nullopt);
    EXPECT_TRUE(fs::is_symlink(folder / "tasks.txt"));
    EXPECT_EQ(fs::read_symlink(folder / "tasks.txt"), "data/real.txt");
    EXPECT_EQ(readBytes(folder / "data" / "real.txt"), newContent);
    EXPECT_EQ(folderEntries(folder.path()), (std::vector<std::string>{"data", "tasks.txt"}));
    EXPECT_EQ(folderEntries(folder / "data"), std::vector<std::string>{"real.txt"});
}

TEST(AtomicSave, DanglingLinkGetsItsTargetCreated)
{
    ScratchFolder folder;
    fs::create_symlink("real.txt", folder / "tasks.txt");
    ASSERT_EQ(writeFileAtomically(folder / "tasks.txt", newContent), std::nullopt);
    EXPECT_TRUE(fs::is_symlink(folder / "tasks.txt"));
    EXPECT_EQ(readBytes(folder / "real.txt"), newContent);
}

TEST(AtomicSave, StaleTemporariesAreRemovedAndNothingElse)
{
    ScratchFolder folder;
    const fs::path file = folder / "tasks.txt";
    writeBytes(file, oldContent);
    for (const char* name : {"tasks.txt.taskwyn-tmp-Ab12Cd", "tasks.txt.taskwyn-tmp-zzzzzz"})
        writeStaleBytes(folder / name, "half written");
    for (const char* name : {"tasks.txt.bak", "tasks.txt.taskwyn-tmp-short", "tasks.txt.taskwyn-tmp-toolong1",
                             "other.txt.taskwyn-tmp-Ab12Cd", "tasks.txt.taskwyn-tmp-", "tasks.txt.taskwyn-tmp-Locked"})
        writeStaleBytes(folder / name, "not ours, or still being written");
    // Another writer's: locked while it writes, or so new that its writer may not have locked it yet.
    const int writer = ::open((folder / "tasks.txt.taskwyn-tmp-Locked").c_str(), O_RDONLY);
    ASSERT_EQ(::flock(writer, LOCK_EX), 0);
    writeBytes(folder / "tasks.txt.taskwyn-tmp-Young1", "just created");
    fs::create_directory(folder / "tasks.txt.taskwyn-tmp-folder");

    removeStaleTemporaries(file);
    ::close(writer);
    EXPECT_EQ(folderEntries(folder.path()),
              (std::vector<std::string>{"other.txt.taskwyn-tmp-Ab12Cd", "tasks.txt", "tasks.txt.bak",
                                        "tasks.txt.taskwyn-tmp-", "tasks.txt.taskwyn-tmp-Locked",
                                        "tasks.txt.taskwyn-tmp-Young1", "tasks.txt.taskwyn-tmp-folder",
                                        "tasks.txt.taskwyn-tmp-short", "tasks.txt.taskwyn-tmp-toolong1"}));
    EXPECT_EQ(readBytes(file), oldContent);
}

TEST(AtomicSave, StaleTemporariesBesideALinkTargetAreRemoved)
{
    ScratchFolder folder;
    fs::create_directory(folder / "data");
    writeBytes(folder / "data" / "real.txt", oldContent);
    writeStaleBytes(folder / "data" / "real.txt.taskwyn-tmp-Q1w2E3", "half written");
    fs::create_symlink("data/real.txt", folder / "tasks.txt");
    removeStaleTemporaries(folder / "tasks.txt");
    EXPECT_EQ(folderEntries(folder / "data"), std::vector<std::string>{"real.txt"});
}

} // namespace
