#pragma once

#include <filesystem>
#include <string>
#include <string_view>

// The one wording of a file that could not be read or written, with the reason.
inline std::string cannotReadFile(const std::filesystem::path& file, std::string_view reason)
{
    return "Cannot read file \"" + file.string() + "\":\n" + std::string(reason);
}

inline std::string cannotWriteFile(const std::filesystem::path& file, std::string_view reason)
{
    return "Cannot write file \"" + file.string() + "\":\n" + std::string(reason);
}
