#pragma once

#include <QIcon>
#include <QStringList>

#include <filesystem>

// One name for the menu entry, the icon, the metainfo and the windows, so that the desktop can
// match them up.
inline constexpr char applicationId[] = TASKWYN_APP_ID;

// The program's icon, built in, so that the window has it when the program is not installed.
QIcon applicationIcon();

// The task file the command line asks for: a file, or a folder that holds tasks.txt. Without one,
// tasks.txt in the current folder; with --menu (the menu entry passes it, as a menu start has no
// meaningful current folder) tasks.txt in the user's data folder, which is created for it.
// --help, --version and unknown options end the program with their message.
std::filesystem::path taskFileFromArguments(const QStringList& arguments);
