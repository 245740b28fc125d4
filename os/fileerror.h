#pragma once

#include <filesystem>
#include <string>
#include <string_view>

// Why a file could not be written. `folder` is set when the folder refused (no file could be made
// or renamed in it), so that the user is sent to the folder rather than to a file that is fine.
struct WriteFailure
{
    std::string reason;
    std::filesystem::path folder = {};
};

// The one wording of a file that could not be read or written, with the reason.
inline std::string cannotReadFile(const std::filesystem::path& file, std::string_view reason)
{
    return "Cannot read file \"" + file.string() + "\":\n" + std::string(reason);
}

inline std::string cannotWriteFile(const std::filesystem::path& file, std::string_view reason)
{
    return "Cannot write file \"" + file.string() + "\":\n" + std::string(reason);
}

inline std::string cannotWriteFolder(const std::filesystem::path& folder, std::string_view reason)
{
    return "Cannot write in folder \"" + folder.string() + "\":\n" + std::string(reason);
}

inline std::string cannotWrite(const std::filesystem::path& file, const WriteFailure& failure)
{
    return failure.folder.empty() ? cannotWriteFile(file, failure.reason)
                                  : cannotWriteFolder(failure.folder, failure.reason);
}
