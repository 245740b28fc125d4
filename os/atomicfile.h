#pragma once

#include "os/fileerror.h"

#include <cstddef>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <sys/types.h>

// The write(2) the writer calls; tests replace it with one that fails part-way, like a full disk.
using WriteCall = std::function<ssize_t(int fd, const void* data, std::size_t size)>;

// What happens to the permissions of a file that is replaced.
enum class ExistingMode {
    Kept,     // the old file's permissions stay, so that a shared or private file stays so
    Replaced, // the new file gets `newFileMode`, as if it were created
};

// Replaces `target` with `bytes` so that a crash or a full disk leaves the old file or the new one,
// whole: a temporary file in the same folder is written, flushed, synced and renamed over the target.
// A symbolic link stays a link (its target is replaced); anything but a regular file is refused.
// `newFileMode` (under the umask) applies when the file is created, or always with
// ExistingMode::Replaced. Returns what failed and why.
[[nodiscard]] std::optional<FileFailure> writeFileAtomically(const std::filesystem::path& target,
                                                             std::string_view bytes, mode_t newFileMode = 0666,
                                                             const WriteCall& write = {},
                                                             ExistingMode existingMode = ExistingMode::Kept);

// True when `path` exists and the user may not write it: a file the user made read-only. Renaming
// over such a file would succeed, since only the folder's permissions count for that.
[[nodiscard]] bool isReadOnlyForUser(const std::filesystem::path& path);

// Creates `path` with `bytes`, never replacing a file that exists; a failed write leaves nothing.
// Returns what failed and why (EEXIST when the name is taken).
[[nodiscard]] std::optional<FileFailure> writeNewFile(const std::filesystem::path& path, std::string_view bytes,
                                                      mode_t mode);

// Removes temporary files that an interrupted writeFileAtomically left beside `target`. A writer
// holds a lock on its temporary file until it is renamed; locked ones are left alone.
void removeStaleTemporaries(const std::filesystem::path& target);

// The whole content of a regular file of at most `maxBytes`, or why it cannot be read; nullopt
// content with no failure means the file does not exist. A pipe, a device or a larger file is refused
// before a byte is read, without waiting.
struct FileContent
{
    std::optional<std::string> bytes;
    std::optional<FileFailure> failure;
};
[[nodiscard]] FileContent readWholeFile(const std::filesystem::path& path, std::size_t maxBytes);
