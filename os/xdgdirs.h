#pragma once

#include <filesystem>

// The user's home folder: $HOME when absolute, else the password database's entry; empty when
// neither is known.
std::filesystem::path homeFolder();

// "$XDG_CACHE_HOME", or "~/.cache" when it is unset, empty or relative; empty without a home.
std::filesystem::path cacheHome();

// "$XDG_STATE_HOME", or "~/.local/state" when it is unset, empty or relative; empty without a home.
std::filesystem::path stateHome();

// "$XDG_DATA_HOME", or "~/.local/share" when it is unset, empty or relative; empty without a home.
std::filesystem::path dataHome();

// "$XDG_RUNTIME_DIR" when it is set and absolute, else the folder "taskwyn-runtime" in the cache
// home, made private to the user; empty when neither can be had. Only this machine's programs look
// there, so what is kept there never travels with a synced folder.
std::filesystem::path runtimeFolder();
