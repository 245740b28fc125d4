#include "app/commandline.h"

#include "os/privatefile.h"
#include "os/xdgdirs.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>

#include <array>
#include <cerrno>
#include <cstdio>

namespace fs = std::filesystem;
using namespace Qt::StringLiterals;

namespace {

struct QtOption
{
    const char* name;
    bool takesValue;
};

// Qt's own options, which QApplication takes off the command line before the program reads it. Known
// here, unseen in --help, so that reading the command line before QApplication exists neither refuses
// them nor takes their value for the task file.
constexpr std::array qtOptions = {
    QtOption{"platform", true},        QtOption{"platformpluginpath", true},
    QtOption{"platformtheme", true},   QtOption{"plugin", true},
    QtOption{"qwindowgeometry", true}, QtOption{"qwindowicon", true},
    QtOption{"qwindowtitle", true},    QtOption{"session", true},
    QtOption{"display", true},         QtOption{"geometry", true},
    QtOption{"style", true},           QtOption{"stylesheet", true},
    QtOption{"qmljsdebugger", true},   QtOption{"reverse", false},
    QtOption{"widgetcount", false},
};

// The options that each ask for an answer of their own, without a window: one at a time.
constexpr std::array requestOptions = {"export", "import", "sync", "sync-setup"};

QStringList requestsGiven(const QCommandLineParser& parser)
{
    QStringList given;
    for (const char* name : requestOptions) {
        if (parser.isSet(QString::fromLatin1(name)))
            given.append(u"--"_s + QString::fromLatin1(name));
    }
    return given;
}

void describeOptions(QCommandLineParser& parser)
{
    // As Qt reads its own: "-style" is one option, not five.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(QCoreApplication::translate("main", "A task list."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOption({u"menu"_s, QCoreApplication::translate("main", "Without a file, use tasks.txt in the user's data "
                                                                     "folder (~/.local/share/taskwyn) instead of the "
                                                                     "current folder.")});
    parser.addOption({u"export"_s,
                      QCoreApplication::translate("main", "Write every task to this iCalendar file, without a window."),
                      u"calendar.ics"_s});
    parser.addOption({u"import"_s,
                      QCoreApplication::translate("main", "Add the to-dos of this iCalendar file, without a window."),
                      u"calendar.ics"_s});
    parser.addOption({u"sync"_s, QCoreApplication::translate("main", "Sync the tasks with the server once, without a "
                                                                     "window; a window open on the task file syncs "
                                                                     "instead.")});
    parser.addOption({u"sync-setup"_s,
                      QCoreApplication::translate("main", "Set up the sync with the server at this address for the "
                                                          "user named next, reading the password from standard "
                                                          "input, without a window."),
                      u"url"_s});
    parser.addPositionalArgument(
        u"file"_s, QCoreApplication::translate("main", "The task file, or a folder that holds tasks.txt."),
        u"[file]"_s);
    for (const auto& [name, takesValue] : qtOptions) {
        QCommandLineOption option(QString::fromLatin1(name));
        if (takesValue)
            option.setValueName(u"value"_s);
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
}

FailureReason notRegularFile(FileKind kind)
{
    return {FailureReason::Kind::NotRegularFile, 0, kind};
}

FailureReason reasonNotRegular(fs::file_type type)
{
    switch (type) {
    case fs::file_type::directory:
        return FailureReason::system(EISDIR);
    case fs::file_type::fifo:
        return notRegularFile(FileKind::NamedPipe);
    case fs::file_type::character:
        return notRegularFile(FileKind::CharacterDevice);
    case fs::file_type::block:
        return notRegularFile(FileKind::BlockDevice);
    case fs::file_type::socket:
        return notRegularFile(FileKind::Socket);
    default:
        return notRegularFile(FileKind::Unknown);
    }
}

FileFailure readFailure(const fs::path& file, const FailureReason& reason)
{
    return {FileAction::ReadFile, file, reason};
}

fs::path menuTaskFile()
{
    if (const fs::path data = dataHome(); !data.empty()) {
        const fs::path folder = data / "taskwyn";
        // Should the folder be refused, the first save says so, naming the file.
        (void)createMissingFolders(folder);
        return folder / "tasks.txt";
    }
    return "tasks.txt";
}

fs::path localPath(const QString& argument)
{
    return QFile::encodeName(argument).toStdString();
}

fs::path taskFileNamed(const QString& argument)
{
    const fs::path path = localPath(argument);
    // Anything that cannot be looked at as a folder is taken as a file, for taskFileProblem() to judge.
    std::error_code ec;
    return fs::is_directory(path, ec) ? path / "tasks.txt" : path;
}

} // namespace

StartRequest readCommandLine(const QStringList& arguments)
{
    QCommandLineParser parser;
    describeOptions(parser);
    if (!parser.parse(arguments))
        return UsageError{};
    if (parser.isSet(u"help"_s) || parser.isSet(u"help-all"_s) || parser.isSet(u"version"_s))
        return ShowHelpOrVersion{};
    if (requestsGiven(parser).size() > 1)
        return UsageError{UsageError::Why::TwoRequests};
    QStringList given = parser.positionalArguments();
    const bool settingUp = parser.isSet(u"sync-setup"_s);
    if (settingUp && given.isEmpty())
        return UsageError{UsageError::Why::NoUserName};
    const QString user = settingUp ? given.takeFirst() : QString();
    fs::path file = "tasks.txt";
    if (given.isEmpty() && parser.isSet(u"menu"_s))
        file = menuTaskFile();
    if (!given.isEmpty()) {
        file = taskFileNamed(given.first());
        if (std::optional<FileFailure> problem = taskFileProblem(file))
            return BadTaskFile{*std::move(problem)};
    }
    if (parser.isSet(u"export"_s))
        return ExportTasks{localPath(parser.value(u"export"_s)), file};
    if (parser.isSet(u"import"_s))
        return ImportTasks{localPath(parser.value(u"import"_s)), file};
    if (parser.isSet(u"sync"_s))
        return SyncTasks{file};
    if (settingUp)
        return SetUpSync{parser.value(u"sync-setup"_s), user, file};
    return OpenWindow{file};
}

int answerHelpOrVersion(const QStringList& arguments)
{
    QCommandLineParser parser;
    describeOptions(parser);
    parser.process(arguments);
    return 0;
}

int answerUsageError(const QStringList& arguments, UsageError::Why why)
{
    QCommandLineParser parser;
    describeOptions(parser);
    const bool parsed = parser.parse(arguments);
    QString error = parser.errorText();
    if (parsed && why == UsageError::Why::TwoRequests) {
        const QStringList given = requestsGiven(parser);
        error = QCoreApplication::translate("main", "%1 and %2 cannot be given together.").arg(given[0], given[1]);
    }
    if (parsed && why == UsageError::Why::NoUserName)
        error = QCoreApplication::translate("main", "--sync-setup needs the server's address and the user name.");
    std::fputs(qPrintable(u"%1: %2\n"_s.arg(QCoreApplication::applicationName(), error)), stderr);
    return usageErrorStatus;
}

std::optional<FileFailure> taskFileProblem(const fs::path& file)
{
    if (file.empty())
        return readFailure(file, FailureReason::system(ENOENT));
    std::error_code ec;
    const fs::file_status status = fs::status(file, ec);
    if (fs::is_regular_file(status))
        return std::nullopt;
    if (fs::exists(status))
        return readFailure(file, reasonNotRegular(status.type()));
    if (ec != std::errc::no_such_file_or_directory)
        return readFailure(file, FailureReason::system(ec.value()));
    // Not there yet: the first save creates it, in a folder that has to be there.
    if (!fs::is_directory(file.has_parent_path() ? file.parent_path() : fs::path("."), ec))
        return readFailure(file, FailureReason::system(ec ? ec.value() : ENOTDIR));
    return std::nullopt;
}
