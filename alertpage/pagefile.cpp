#include "alertpage/pagefile.h"

#include "os/xdgdirs.h"

std::filesystem::path alertPagePath()
{
    const std::filesystem::path cache = cacheHome();
    return cache.empty() ? std::filesystem::path() : cache / "taskwyn" / "al.html";
}
