#pragma once

#include <filesystem>

// "$XDG_CACHE_HOME/taskwyn/al.html", or "~/.cache/taskwyn/al.html" when XDG_CACHE_HOME is unset,
// empty or relative. Empty when no home folder can be found. The view loads the page from here.
std::filesystem::path alertPagePath();
