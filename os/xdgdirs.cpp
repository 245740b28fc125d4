#include "os/xdgdirs.h"

#include <cstdlib>
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

fs::path underHome(const char* variable, const fs::path& fallback)
{
    if (fs::path folder = absoluteFromEnvironment(variable); !folder.empty())
        return folder;
    const fs::path home = homeFolder();
    return home.is_absolute() ? home / fallback : fs::path();
}

} // namespace

fs::path homeFolder()
{
    if (fs::path home = absoluteFromEnvironment("HOME"); !home.empty())
        return home;
    const passwd* entry = ::getpwuid(::getuid());
    return entry && entry->pw_dir ? fs::path(entry->pw_dir) : fs::path();
}

fs::path cacheHome()
{
    return underHome("XDG_CACHE_HOME", ".cache");
}

fs::path stateHome()
{
    return underHome("XDG_STATE_HOME", ".local/state");
}

fs::path dataHome()
{
    return underHome("XDG_DATA_HOME", ".local/share");
}

fs::path runtimeFolder()
{
    if (fs::path folder = absoluteFromEnvironment("XDG_RUNTIME_DIR"); !folder.empty())
        return folder;
    const fs::path cache = cacheHome();
    if (cache.empty())
        return {};
    std::error_code ec;
    fs::create_directories(cache, ec);
    const fs::path folder = cache / "taskwyn-runtime";
    // Others must not reach this user's lock or socket: the folder is the user's alone, or unused.
    ::mkdir(folder.c_str(), 0700);
    struct stat status
    {
    };
    if (::lstat(folder.c_str(), &status) != 0 || !S_ISDIR(status.st_mode) || status.st_uid != ::getuid() ||
        (status.st_mode & 077) != 0)
        return {};
    return folder;
}
