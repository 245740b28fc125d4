#include "app/batchexchange.h"
#include "app/commandsync.h"
#include "app/singleinstance.h"
#include "app/startup.h"
#include "commands/storereports.h"
#include "config-taskwyn.h"
#include "mainwindow/frmmain.h"
#include "os/startuptrace.h"
#include "store/module1.h"
#include "widgets/afterfirstpaint.h"

#include <QApplication>
#include <QIcon>
#include <QTimer>

#include <memory>

namespace {

template <typename... Handlers> struct Overloaded : Handlers...
{
    using Handlers::operator()...;
};

QStringList argumentsOf(int argc, char* argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    return arguments;
}

int showMainWindow(const std::filesystem::path& taskFile)
{
    QGuiApplication::setDesktopFileName(QStringLiteral(TASKWYN_APP_ID));
    QApplication::setWindowIcon(applicationIcon());
    // Desktops without an icon theme of their own still get the pane's icons.
    QIcon::setFallbackThemeName(QStringLiteral("Adwaita"));
    startupPhaseEnded("window icon");

    // 1001 tasks are too many for the stack.
    const auto store = std::make_unique<Module1>(taskFile);
    // One window per task file: a second start brings the running one to the front and ends.
    SingleInstance instance(store->taskFile());
    if (const SingleInstance::Claim claim = instance.claim(); claim != SingleInstance::Claim::Claimed)
        return SingleInstance::refuse(claim, store->taskFile());
    startupPhaseEnded("single-instance socket");
    frmMain window(*store);
    startupPhaseEnded("window built");
    QObject::connect(&instance, &SingleInstance::raiseRequested, &window, [&window] {
        window.setWindowState(window.windowState() & ~Qt::WindowMinimized);
        window.raise();
        window.activateWindow();
    });
    QObject::connect(&instance, &SingleInstance::syncRequested, &window,
                     [&window](const SingleInstance::SyncReply& reply) {
                         answerSyncRequest([&window](SyncDone done) { window.syncNow(std::move(done)); }, reply);
                     });
    afterFirstPaint(window, [] { startupPhaseEnded("first paint"); });
    window.show();
    startupPhaseEnded("shown");
    // Told once the window is up, so the user sees what the message is about.
    QTimer::singleShot(0, &window, [&window] { reportLoad(&window, window.loadReport()); });
    return QApplication::exec();
}

} // namespace

int main(int argc, char* argv[])
{
    startupPhaseEnded("main");
    const StartRequest request = readCommandLine(argumentsOf(argc, argv));
    const std::unique_ptr<QCoreApplication> app = createApplication(argc, argv, request);
    startupPhaseEnded("application");
    setUpApplication(*app);
    startupPhaseEnded("translations");
    return std::visit(
        Overloaded{
            [](const OpenWindow& open) { return showMainWindow(open.taskFile); },
            [](const ShowHelpOrVersion&) { return answerHelpOrVersion(QCoreApplication::arguments()); },
            [](const UsageError& usage) { return answerUsageError(QCoreApplication::arguments(), usage.why); },
            [](const BadTaskFile& bad) { return refuseTaskFile(bad.failure); },
            [](const ExportTasks& wanted) { return exportTasks(wanted); },
            [](const ImportTasks& wanted) { return importTasks(wanted); },
            [](const SyncTasks& wanted) { return syncTasks(wanted); },
            [](const SetUpSync& wanted) { return setUpSync(wanted); },
        },
        request);
}
