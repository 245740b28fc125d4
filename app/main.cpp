#include "app/singleinstance.h"
#include "app/startup.h"
#include "commands/storereports.h"
#include "mainwindow/frmmain.h"
#include "store/module1.h"
#include "widgets/translations.h"

#include <QApplication>
#include <QIcon>
#include <QTimer>

#include <memory>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    installTranslations(app);
    QApplication::setApplicationName(QStringLiteral("Taskwyn"));
    QApplication::setApplicationVersion(QStringLiteral(TASKWYN_VERSION));
    QGuiApplication::setDesktopFileName(QString::fromLatin1(applicationId));
    QApplication::setWindowIcon(applicationIcon());
    // Desktops without an icon theme of their own still get the pane's icons.
    QIcon::setFallbackThemeName(QStringLiteral("Adwaita"));
    const std::filesystem::path taskFile = taskFileFromArguments(QApplication::arguments());

    // 1001 tasks are too many for the stack.
    const auto store = std::make_unique<Module1>(taskFile);
    // One window per task file: a second start brings the running one to the front and ends.
    SingleInstance instance(store->taskFile());
    if (const SingleInstance::Claim claim = instance.claim(); claim != SingleInstance::Claim::Claimed)
        return SingleInstance::refuse(claim, store->taskFile());
    frmMain window(*store);
    QObject::connect(&instance, &SingleInstance::raiseRequested, &window, [&window] {
        window.setWindowState(window.windowState() & ~Qt::WindowMinimized);
        window.raise();
        window.activateWindow();
    });
    window.show();
    // Told once the window is up, so the user sees what the message is about.
    QTimer::singleShot(0, &window, [&window] { reportLoad(&window, window.loadReport()); });
    return app.exec();
}
