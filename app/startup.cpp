#include "app/startup.h"

#include "commands/filemessages.h"
#include "commands/messages.h"
#include "config-taskwyn.h"
#include "widgets/translations.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>

using namespace Qt::StringLiterals;

QIcon applicationIcon()
{
    // A window manager wants small sizes only; the menu takes the large ones from the installed theme.
    // Each size given here is decoded and sent to the X server at every start.
    QIcon icon;
    for (const int size : {16, 22, 24, 32, 48, 64})
        icon.addFile(u":/icons/%1/%2.png"_s.arg(size).arg(QLatin1StringView(TASKWYN_APP_ID)), QSize(size, size));
    return icon;
}

bool windowSystemAvailable()
{
    for (const char* variable : {"QT_QPA_PLATFORM", "WAYLAND_DISPLAY", "DISPLAY"}) {
        if (const char* value = std::getenv(variable); value && *value)
            return true;
    }
    return false;
}

bool needsWindowSystem(const StartRequest& request)
{
    return std::holds_alternative<OpenWindow>(request) ||
           (std::holds_alternative<BadTaskFile>(request) && windowSystemAvailable());
}

namespace {

std::optional<FileFailure> refusalToTell;

// Qt ends the program when the window system that a display names cannot be opened. A refusal
// meant to show its box there is told on standard error instead, untranslated, as the program
// ends as it would have without a display.
void tellRefusalOnFatal(QtMsgType type, const QMessageLogContext&, const QString& text)
{
    std::fputs(qPrintable(text + u'\n'), stderr);
    if (type == QtFatalMsg && refusalToTell) {
        std::fputs(qPrintable(fileFailureText(*refusalToTell) + u'\n'), stderr);
        std::_Exit(usageErrorStatus);
    }
}

} // namespace

std::unique_ptr<QCoreApplication> createApplication(int& argc, char* argv[], const StartRequest& request)
{
    if (!needsWindowSystem(request))
        return std::make_unique<QCoreApplication>(argc, argv);
    const auto* bad = std::get_if<BadTaskFile>(&request);
    if (!bad)
        return std::make_unique<QApplication>(argc, argv);
    refusalToTell = bad->failure;
    const QtMessageHandler previous = qInstallMessageHandler(tellRefusalOnFatal);
    auto app = std::make_unique<QApplication>(argc, argv);
    qInstallMessageHandler(previous);
    refusalToTell.reset();
    return app;
}

void setUpApplication(QCoreApplication& app)
{
    installTranslations(app);
    QCoreApplication::setApplicationName(u"Taskwyn"_s);
    QCoreApplication::setApplicationVersion(QStringLiteral(TASKWYN_VERSION));
}

int refuseTaskFile(const FileFailure& failure)
{
    const QString message = fileFailureText(failure);
    std::fputs(qPrintable(message + u'\n'), stderr);
    if (qobject_cast<QApplication*>(QCoreApplication::instance()))
        showFileError(nullptr, message);
    return usageErrorStatus;
}
