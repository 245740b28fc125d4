#include "app/startup.h"

#include "os/privatefile.h"
#include "os/xdgdirs.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>

using namespace Qt::StringLiterals;

QIcon applicationIcon()
{
    // A window manager wants small sizes only; the menu takes the large ones from the installed theme.
    // Each size given here is decoded and sent to the X server at every start.
    QIcon icon;
    for (const int size : {16, 22, 24, 32, 48, 64})
        icon.addFile(u":/icons/%1/%2.png"_s.arg(size).arg(QLatin1StringView(applicationId)), QSize(size, size));
    return icon;
}

std::filesystem::path taskFileFromArguments(const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QCoreApplication::translate("main", "A task list."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption menu(
        u"menu"_s, QCoreApplication::translate("main", "Without a file, use tasks.txt in the user's data folder "
                                                       "(~/.local/share/taskwyn) instead of the current folder."));
    parser.addOption(menu);
    parser.addPositionalArgument(
        u"file"_s, QCoreApplication::translate("main", "The task file, or a folder that holds tasks.txt."),
        u"[file]"_s);
    parser.process(arguments);

    if (const QStringList given = parser.positionalArguments(); !given.isEmpty()) {
        const std::filesystem::path path = QFile::encodeName(given.first()).toStdString();
        return std::filesystem::is_directory(path) ? path / "tasks.txt" : path;
    }
    if (parser.isSet(menu)) {
        if (const std::filesystem::path data = dataHome(); !data.empty()) {
            const std::filesystem::path folder = data / "taskwyn";
            // Should the folder be refused, the first save says so, naming the file.
            (void)createMissingFolders(folder);
            return folder / "tasks.txt";
        }
    }
    return "tasks.txt";
}
