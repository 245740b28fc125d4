#include "pagefile.h"

#include "atomicfile.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

fs::path absoluteFromEnvironment(const char* name)
{
    const char* value = std::getenv(name);
    const fs::path path = value ? value : "";
    return path.is_absolute() ? path : fs::path();
}

fs::path homeFolder()
{
    if (fs::path home = absoluteFromEnvironment("HOME"); !home.empty())
        return home;
    const passwd* entry = ::getpwuid(::getuid());
    return entry && entry->pw_dir ? fs::path(entry->pw_dir) : fs::path();
}

fs::path cacheFolder()
{
    if (fs::path cache = absoluteFromEnvironment("XDG_CACHE_HOME"); !cache.empty())
        return cache;
    const fs::path home = homeFolder();
    return home.is_absolute() ? home / ".cache" : fs::path();
}

std::optional<std::string> createMissingFolders(const fs::path& folder)
{
    fs::path partial;
    for (const fs::path& part : folder) {
        partial /= part;
        if (::mkdir(partial.c_str(), 0700) != 0 && errno != EEXIST)
            return "Cannot create the folder " + partial.string() + ": " + std::strerror(errno);
    }
    return std::nullopt;
}

// Another user who could plant a link here would have us write the page wherever it points.
std::optional<std::string> checkPrivateFolder(const fs::path& folder)
{
    struct stat status
    {
    };
    if (::lstat(folder.c_str(), &status) != 0)
        return "Cannot open the folder " + folder.string() + ": " + std::strerror(errno);
    if (S_ISLNK(status.st_mode))
        return "The folder " + folder.string() + " is a symbolic link.";
    if (!S_ISDIR(status.st_mode))
        return folder.string() + " is not a folder.";
    if (status.st_uid != ::getuid())
        return "The folder " + folder.string() + " belongs to another user.";
    if ((status.st_mode & 077) != 0 && ::chmod(folder.c_str(), 0700) != 0)
        return "Cannot make the folder " + folder.string() + " private: " + std::strerror(errno);
    return std::nullopt;
}

// The writer follows a link at the page's own name to its target; the page never goes anywhere but here.
std::optional<std::string> checkPageIsPlainFile(const fs::path& page)
{
    struct stat status
    {
    };
    if (::lstat(page.c_str(), &status) != 0)
        return errno == ENOENT ? std::nullopt : std::optional<std::string>(std::strerror(errno));
    if (!S_ISREG(status.st_mode))
        return page.string() + " is not a plain file.";
    return std::nullopt;
}

} // namespace

fs::path alertPagePath()
{
    const fs::path cache = cacheFolder();
    return cache.empty() ? fs::path() : cache / "taskwyn" / "al.html";
}

std::optional<std::string> writePrivatePage(const fs::path& page, std::string_view bytes)
{
    const fs::path folder = page.parent_path();
    if (auto failure = createMissingFolders(folder))
        return failure;
    if (auto failure = checkPrivateFolder(folder))
        return failure;
    if (auto failure = checkPageIsPlainFile(page))
        return failure;
    removeStaleTemporaries(page);
    return writeFileAtomically(page, bytes, 0600);
}
