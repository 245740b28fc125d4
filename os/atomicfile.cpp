#include "os/atomicfile.h"

#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr std::string_view temporaryMarker = ".taskwyn-tmp-";
// A temporary file this young may belong to a writer that has created it but not yet locked it.
constexpr auto youngestStale = std::chrono::seconds(10);

FailureReason reason(int error)
{
    return FailureReason::system(error);
}

// Why a file that is not a regular file is neither read nor replaced.
FailureReason notRegularFile(mode_t mode)
{
    if (S_ISDIR(mode))
        return reason(EISDIR);
    const FileKind kind = S_ISFIFO(mode)   ? FileKind::NamedPipe
                          : S_ISCHR(mode)  ? FileKind::CharacterDevice
                          : S_ISBLK(mode)  ? FileKind::BlockDevice
                          : S_ISSOCK(mode) ? FileKind::Socket
                                           : FileKind::Unknown;
    return {FailureReason::Kind::NotRegularFile, 0, kind};
}

FailureReason tooLarge(std::size_t maxBytes)
{
    return {FailureReason::Kind::TooLarge, 0, FileKind::Unknown, maxBytes >> 20};
}

// Closes the descriptor and removes the temporary file unless the rename has claimed it.
class TemporaryFile
{
public:
    explicit TemporaryFile(const fs::path& target)
    {
        for (int attempt = 0; attempt < 8; ++attempt) {
            std::string pattern = (target.parent_path() / target.filename()).string();
            pattern += temporaryMarker;
            pattern += "XXXXXX";
            const int fd = ::mkstemp(pattern.data());
            if (fd < 0)
                return;
            // Held until the file is renamed into place: a lock tells other writers it is in use.
            ::flock(fd, LOCK_EX);
            // Another writer's clean-up may have taken the file before it was locked, when a file
            // server's clock makes a new file look old: then it is gone, and a new one is made.
            struct stat status
            {
            };
            if (::fstat(fd, &status) == 0 && status.st_nlink == 0) {
                ::close(fd);
                errno = EAGAIN;
                continue;
            }
            fd_ = fd;
            path_ = pattern;
            return;
        }
    }
    ~TemporaryFile()
    {
        close();
        if (!path_.empty())
            ::unlink(path_.c_str());
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    int fd() const { return fd_; }
    const std::string& path() const { return path_; }
    int close()
    {
        const int result = fd_ >= 0 ? ::close(fd_) : 0;
        fd_ = -1;
        return result;
    }
    void renamed() { path_.clear(); }

private:
    int fd_ = -1;
    std::string path_;
};

// Follows symbolic links to the file that is to be replaced, even when the last link dangles.
fs::path finalTarget(fs::path path)
{
    for (int hops = 0; hops < 40; ++hops) {
        std::error_code ec;
        if (!fs::is_symlink(fs::symlink_status(path, ec)))
            return path;
        const fs::path link = fs::read_symlink(path, ec);
        if (ec)
            return path;
        path = link.is_absolute() ? link : path.parent_path() / link;
    }
    return path;
}

std::optional<FailureReason> writeAll(int fd, std::string_view bytes, const WriteCall& write)
{
    while (!bytes.empty()) {
        const ssize_t written = write ? write(fd, bytes.data(), bytes.size()) : ::write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written < 0)
            return reason(errno);
        if (written == 0)
            return reason(ENOSPC);
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return std::nullopt;
}

mode_t modeFor(const fs::path& target, mode_t newFileMode, ExistingMode existingMode)
{
    struct stat existing
    {
    };
    if (existingMode == ExistingMode::Kept && ::stat(target.c_str(), &existing) == 0)
        return existing.st_mode & 07777;
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return newFileMode & ~mask;
}

// The folder a failure names: whole, since "tasks.txt" alone says nothing of where it is.
fs::path folderOf(const fs::path& file)
{
    std::error_code ec;
    const fs::path folder = file.parent_path().empty() ? fs::current_path(ec) : fs::absolute(file.parent_path(), ec);
    return ec || folder.empty() ? fs::path(".") : folder.lexically_normal();
}

FileFailure writeFailure(const fs::path& target, FailureReason why)
{
    return {FileAction::WriteFile, target, why};
}

// Making a file in the folder or renaming one there needs the folder's permission: when that is
// what failed, the folder is named.
FileFailure refusal(int error, const fs::path& target, const fs::path& file)
{
    if (error == EACCES || error == EPERM || error == EROFS)
        return {FileAction::WriteInFolder, folderOf(file), reason(error)};
    return writeFailure(target, reason(error));
}

void syncFolder(const fs::path& folder)
{
    const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

std::optional<FileFailure> writeFileAtomically(const fs::path& target, std::string_view bytes, mode_t newFileMode,
                                               const WriteCall& write, ExistingMode existingMode)
{
    const fs::path file = finalTarget(target);
    struct stat existing
    {
    };
    const bool exists = ::stat(file.c_str(), &existing) == 0;
    // A pipe or a device in the file's place is the user's, and a rename would put a file in its stead.
    if (exists && !S_ISREG(existing.st_mode))
        return writeFailure(target, notRegularFile(existing.st_mode));
    TemporaryFile temporary(file);
    if (temporary.fd() < 0)
        return refusal(errno, target, file);
    if (exists && ::fchown(temporary.fd(), existing.st_uid, existing.st_gid) != 0) {
        // Not owning the file is fine: the user keeps write access through the folder.
    }
    if (::fchmod(temporary.fd(), modeFor(file, newFileMode, existingMode)) != 0)
        return writeFailure(target, reason(errno));
    if (auto failure = writeAll(temporary.fd(), bytes, write))
        return writeFailure(target, *failure);
    if (::fsync(temporary.fd()) != 0)
        return writeFailure(target, reason(errno));
    // Renamed while still open and locked, so that no other writer's clean-up takes it away first.
    if (::rename(temporary.path().c_str(), file.c_str()) != 0)
        return refusal(errno, target, file);
    temporary.renamed();
    if (temporary.close() != 0)
        return writeFailure(target, reason(errno));
    syncFolder(file.parent_path());
    return std::nullopt;
}

bool isReadOnlyForUser(const fs::path& path)
{
    // AT_EACCESS asks with the effective user, as the open for writing would.
    return ::faccessat(AT_FDCWD, path.c_str(), F_OK, AT_EACCESS) == 0 &&
           ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0;
}

std::optional<FileFailure> writeNewFile(const fs::path& path, std::string_view bytes, mode_t mode)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd < 0)
        return writeFailure(path, reason(errno));
    std::optional<FailureReason> failure = writeAll(fd, bytes, {});
    if (!failure && ::fsync(fd) != 0)
        failure = reason(errno);
    if (::close(fd) != 0 && !failure)
        failure = reason(errno);
    if (!failure) {
        syncFolder(path.parent_path());
        return std::nullopt;
    }
    ::unlink(path.c_str());
    return writeFailure(path, *failure);
}

namespace {

// Removes `path` when no writer holds it: not locked, and not so young that its writer may not
// have locked it yet.
void removeIfAbandoned(const fs::path& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return;
    struct stat status
    {
    };
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::fstat(fd, &status) == 0 && S_ISREG(status.st_mode)) {
        const auto modified = std::chrono::system_clock::from_time_t(status.st_mtim.tv_sec);
        if (std::chrono::system_clock::now() - modified > youngestStale)
            ::unlink(path.c_str());
    }
    ::close(fd);
}

} // namespace

void removeStaleTemporaries(const fs::path& target)
{
    const fs::path file = finalTarget(target);
    const fs::path folder = file.parent_path().empty() ? fs::path(".") : file.parent_path();
    const std::string prefix = file.filename().string() + std::string(temporaryMarker);
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.size() == prefix.size() + 6 && name.starts_with(prefix))
            removeIfAbandoned(it->path());
    }
}

FileContent readWholeFile(const fs::path& path, std::size_t maxBytes)
{
    const auto refused = [&path](FailureReason why) {
        return FileContent{std::nullopt, FileFailure{FileAction::ReadFile, path, why}};
    };
    // Without O_NONBLOCK the open of a named pipe waits for a writer that may never come.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        const int error = errno;
        if (error == ENOENT)
            return {};
        // A socket cannot be opened at all; say what it is rather than "No such device or address".
        struct stat status
        {
        };
        if (::stat(path.c_str(), &status) == 0 && !S_ISREG(status.st_mode))
            return refused(notRegularFile(status.st_mode));
        return refused(reason(error));
    }
    struct stat status
    {
    };
    if (::fstat(fd, &status) != 0) {
        const int error = errno;
        ::close(fd);
        return refused(reason(error));
    }
    // A device or a pipe never ends, and an over-large file would only be read to be refused.
    if (!S_ISREG(status.st_mode) || static_cast<std::uintmax_t>(status.st_size) > maxBytes) {
        ::close(fd);
        return refused(S_ISREG(status.st_mode) ? tooLarge(maxBytes) : notRegularFile(status.st_mode));
    }
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(status.st_size));
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            const int error = errno;
            ::close(fd);
            return refused(reason(error));
        }
        if (got == 0)
            break;
        // The file may have grown since it was measured.
        if (bytes.size() + static_cast<std::size_t>(got) > maxBytes) {
            ::close(fd);
            return refused(tooLarge(maxBytes));
        }
        bytes.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(fd);
    return {std::move(bytes), std::nullopt};
}
