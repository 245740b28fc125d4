#pragma once

#include "os/fileerror.h"

#include <filesystem>
#include <optional>
#include <string_view>

// Writes `bytes` to `file` (replaced atomically, mode 0600 after every write, whatever an older file
// had) inside a folder that only the user can enter. The folder and its missing parents are created
// with mode 0700; an existing folder must be a real folder of the user's own, so that nobody else can
// have linked it elsewhere. Returns what failed and why when the file was not written.
[[nodiscard]] std::optional<FileFailure> writePrivateFile(const std::filesystem::path& file, std::string_view bytes);

// Creates `folder` and its missing parents with mode 0700; folders that exist are left as they are.
[[nodiscard]] std::optional<FileFailure> createMissingFolders(const std::filesystem::path& folder);
