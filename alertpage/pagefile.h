#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

// "$XDG_CACHE_HOME/taskwyn/al.html", or "~/.cache/taskwyn/al.html" when XDG_CACHE_HOME is unset,
// empty or relative. Empty when no home folder can be found. The view loads the page from here.
std::filesystem::path alertPagePath();

// Writes `bytes` to `page` (mode 0600 when created, replaced atomically) inside a folder that only
// the user can enter. The folder and its missing parents are created with mode 0700; an existing
// folder must be a real folder of the user's own, so that nobody else can have linked it elsewhere.
// Returns the reason when the page was not written.
std::optional<std::string> writePrivatePage(const std::filesystem::path& page, std::string_view bytes);
