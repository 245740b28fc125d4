// The floor every Qt Widgets program pays at start: a main window with a menu bar, a status bar and
// a label, as large as the task list's window.
#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QStatusBar>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QMainWindow window;
    window.menuBar()
        ->addMenu(QStringLiteral("&File"))
        ->addAction(QStringLiteral("E&xit"), &app, &QCoreApplication::quit);
    window.setStatusBar(new QStatusBar(&window));
    window.statusBar()->showMessage(QStringLiteral("Ready"));
    window.setCentralWidget(new QLabel(QStringLiteral("A bare window"), &window));
    window.resize(687, 400);
    window.show();
    return QApplication::exec();
}
