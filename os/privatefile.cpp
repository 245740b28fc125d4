#include "os/privatefile.h"

#include "os/atomicfile.h"

#include <cerrno>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace fs = std::filesystem;

std::optional<WriteFailure> createMissingFolders(const fs::path& folder)
{
    fs::path partial;
    for (const fs::path& part : folder) {
        partial /= part;
        if (::mkdir(partial.c_str(), 0700) != 0 && errno != EEXIST)
            return WriteFailure{std::string("It cannot be created: ") + std::strerror(errno), partial};
    }
    return std::nullopt;
}

namespace {

// Another user who could plant a link here would have us write the file wherever it points.
std::optional<WriteFailure> checkPrivateFolder(const fs::path& folder)
{
    struct stat status
    {
    };
    const auto refused = [&folder](std::string reason) { return WriteFailure{std::move(reason), folder}; };
    if (::lstat(folder.c_str(), &status) != 0)
        return refused(std::strerror(errno));
    if (S_ISLNK(status.st_mode))
        return refused("It is a symbolic link.");
    if (!S_ISDIR(status.st_mode))
        return refused("It is not a folder.");
    if (status.st_uid != ::getuid())
        return refused("It belongs to another user.");
    if ((status.st_mode & 077) != 0 && ::chmod(folder.c_str(), 0700) != 0)
        return refused(std::string("It cannot be made private: ") + std::strerror(errno));
    return std::nullopt;
}

// The writer follows a link at the file's own name to its target; the file never goes anywhere but here.
std::optional<WriteFailure> checkPlainFile(const fs::path& file)
{
    struct stat status
    {
    };
    if (::lstat(file.c_str(), &status) != 0)
        return errno == ENOENT ? std::nullopt : std::optional(WriteFailure{std::strerror(errno)});
    if (!S_ISREG(status.st_mode))
        return WriteFailure{"It is not a plain file."};
    return std::nullopt;
}

} // namespace

std::optional<WriteFailure> writePrivateFile(const fs::path& file, std::string_view bytes)
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
