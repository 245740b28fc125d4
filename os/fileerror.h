#pragma once

#include <cstddef>
#include <filesystem>

// What stood where a regular file was expected.
enum class FileKind { NamedPipe, CharacterDevice, BlockDevice, Socket, Unknown };

// Why a file could not be read or written, as facts; the program's windows word them.
struct FailureReason
{
    enum class Kind {
        SystemError,      // `error` holds the errno value
        NotRegularFile,   // `fileKind` says what is there instead
        TooLarge,         // the file is larger than `limitMiB`
        ReadOnly,         // the user made the file read-only
        NameTaken,        // no free name was left
        SymbolicLink,     // a folder that must be real is a link
        NotAFolder,       // something else has a folder's name
        OtherUsersFolder, // the folder belongs to another user
        FolderNotCreated, // mkdir failed with `error`
        FolderNotPrivate, // the folder's permissions could not be narrowed; `error` says why
        NotPlainFile,     // a link or something else has the file's name
    };
    Kind kind = Kind::SystemError;
    int error = 0;
    FileKind fileKind = FileKind::Unknown;
    std::size_t limitMiB = 0;

    static FailureReason system(int error) { return {Kind::SystemError, error}; }
    bool operator==(const FailureReason&) const = default;
};

// What was being done when a file failed. A folder is named when it refused (no file could be made
// or renamed in it), so that the user is sent to the folder rather than to a file that is fine.
enum class FileAction { ReadFile, WriteFile, WriteInFolder };

struct FileFailure
{
    FileAction action = FileAction::ReadFile;
    std::filesystem::path path; // the file, or the folder for WriteInFolder
    FailureReason reason;

    bool operator==(const FileFailure&) const = default;
};
