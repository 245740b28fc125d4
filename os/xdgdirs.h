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
