#include "os/privatefile.h"

#include "os/atomicfile.h"

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

using Kind = FailureReason::Kind;

FileFailure folderRefused(const fs::path& folder, Kind kind, int error = 0)
{
    return {FileAction::WriteInFolder, folder, {kind, error}};
}

} // namespace

std::optional<FileFailure> createMissingFolders(const fs::path& folder)
{
    fs::path partial;
    for (const fs::path& part : folder) {
        partial /= part;
        if (::mkdir(partial.c_str(), 0700) != 0 && errno != EEXIST)
            return folderRefused(partial, Kind::FolderNotCreated, errno);
    }
    return std::nullopt;
}

namespace {

// Another user who could plant a link here would have us write the file wherever it points.
std::optional<FileFailure> checkPrivateFolder(const fs::path& folder)
{
    struct stat status
    {
    };
    if (::lstat(folder.c_str(), &status) != 0)
        return folderRefused(folder, Kind::SystemError, errno);
    if (S_ISLNK(status.st_mode))
        return folderRefused(folder, Kind::SymbolicLink);
    if (!S_ISDIR(status.st_mode))
        return folderRefused(folder, Kind::NotAFolder);
    if (status.st_uid != ::getuid())
        return folderRefused(folder, Kind::OtherUsersFolder);
    if ((status.st_mode & 077) != 0 && ::chmod(folder.c_str(), 0700) != 0)
        return folderRefused(folder, Kind::FolderNotPrivate, errno);
    return std::nullopt;
}

// The writer follows a link at the file's own name to its target; the file never goes anywhere but here.
std::optional<FileFailure> checkPlainFile(const fs::path& file)
{
    struct stat status
    {
    };
    if (::lstat(file.c_str(), &status) != 0) {
        if (errno == ENOENT)
            return std::nullopt;
        return FileFailure{FileAction::WriteFile, file, FailureReason::system(errno)};
    }
    if (!S_ISREG(status.st_mode))
        return FileFailure{FileAction::WriteFile, file, {Kind::NotPlainFile}};
    return std::nullopt;
}

} // namespace

std::optional<FileFailure> writePrivateFile(const fs::path& file, std::string_view bytes)
{
    const fs::path folder = file.parent_path();
    if (auto failure = createMissingFolders(folder))
        return failure;
    if (auto failure = checkPrivateFolder(folder))
        return failure;
    if (auto failure = checkPlainFile(file))
        return failure;
    removeStaleTemporaries(file);
    return writeFileAtomically(file, bytes, 0600, {}, ExistingMode::Replaced);
}
