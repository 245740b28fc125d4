#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <sys/types.h>

// The write(2) the writer calls; tests replace it with one that fails part-way, like a full disk.
using WriteCall = std::function<ssize_t(int fd, const void* data, std::size_t size)>;

// Replaces `target` with `bytes` so that a crash or a full disk leaves the old file or the new one,
// whole: a temporary file in the same folder is written, flushed, synced and renamed over the target.
// A symbolic link stays a link (its target is replaced); the old file's permissions are kept;
// `newFileMode` applies only when the file is created. Returns the reason on failure.
[[nodiscard]] std::optional<std::string> writeFileAtomically(const std::filesystem::path& target,
                                                             std::string_view bytes, mode_t newFileMode = 0666,
                                                             const WriteCall& write = {});

// Removes temporary files that an interrupted writeFileAtomically left beside `target`. A writer
// holds a lock on its temporary file until it is renamed; locked ones are left alone.
void removeStaleTemporaries(const std::filesystem::path& target);

// The whole content of a file, or the reason it cannot be read; nullopt content with no error
// means the file does not exist.
struct FileContent
{
    std::optional<std::string> bytes;
    std::string error;
};
[[nodiscard]] FileContent readWholeFile(const std::filesystem::path& path, std::size_t maxBytes);
