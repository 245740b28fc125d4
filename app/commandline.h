#pragma once

#include "os/fileerror.h"

#include <QStringList>

#include <filesystem>
#include <optional>
#include <variant>

// What the command line asks for. It is read before any window system is opened, so that whatever
// needs no window is answered without a display. A new command is one more request here, read in
// readCommandLine(), and one more handler in main(), which will not build without it.
struct OpenWindow
{
    std::filesystem::path taskFile;
};
struct ShowHelpOrVersion
{
};
struct UsageError
{
    enum class Why {
        Unreadable,  // the parser's own error
        TwoRequests, // two of --export, --import, --sync and --sync-setup
        NoUserName,  // --sync-setup without the user name
    };
    Why why = Why::Unreadable;
};
struct BadTaskFile
{
    FileFailure failure;
};
// Every task written to an iCalendar file, or the to-dos of one read in, through the store and
// without a window.
struct ExportTasks
{
    std::filesystem::path calendar;
    std::filesystem::path taskFile;
};
struct ImportTasks
{
    std::filesystem::path calendar;
    std::filesystem::path taskFile;
};
// One sync of the task file with its server, without a window; a window open on the file is asked
// to sync instead.
struct SyncTasks
{
    std::filesystem::path taskFile;
};
// Sets up the account the task file syncs with, the password read from standard input.
struct SetUpSync
{
    QString server; // as the user typed it
    QString user;
    std::filesystem::path taskFile;
};
using StartRequest = std::variant<OpenWindow, ShowHelpOrVersion, UsageError, BadTaskFile, ExportTasks, ImportTasks,
                                  SyncTasks, SetUpSync>;

// The task file is a file, or a folder that holds tasks.txt. Without one, tasks.txt in the current
// folder; with --menu (the menu entry passes it, as a menu start has no meaningful current folder)
// tasks.txt in the user's data folder, which is created for it.
StartRequest readCommandLine(const QStringList& arguments);

// The exit status when the command line asks for what cannot be done: an unknown option, a task file
// that cannot be used.
inline constexpr int usageErrorStatus = 2;
// The exit status when an export, an import, a sync or its set-up did not work.
inline constexpr int failedStatus = 1;

// The answers, once the application object exists and translations are installed; each returns the
// program's exit status. --help, --help-all and --version end the program with 0 after answering.
int answerHelpOrVersion(const QStringList& arguments);
int answerUsageError(const QStringList& arguments, UsageError::Why why);

// Why `file` cannot be the task file; nothing when it can, including when it is not there yet but
// its folder is, as the first save creates it.
std::optional<FileFailure> taskFileProblem(const std::filesystem::path& file);
