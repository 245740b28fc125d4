#include "app/commandline.h"
#include "os/tests/filetesting.h"

#include <QTest>

#include <sys/stat.h>

using namespace Qt::StringLiterals;

// Where the program finds its task file, from the command line it was started with.
class StartupTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { std::filesystem::create_directories("folder"); }
    void taskFile_data();
    void taskFile();
};

void StartupTest::taskFile_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("expected"); // "DATA" stands for $XDG_DATA_HOME
    QTest::addColumn<bool>("makesDataFolder");

    QTest::newRow("none: the current folder") << QStringList{} << u"tasks.txt"_s << false;
    QTest::newRow("a folder") << QStringList{u"folder"_s} << u"folder/tasks.txt"_s << false;
    QTest::newRow("a file, not there yet") << QStringList{u"folder/mine.txt"_s} << u"folder/mine.txt"_s << false;
    QTest::newRow("the menu: the data folder") << QStringList{u"--menu"_s} << u"DATA/taskwyn/tasks.txt"_s << true;
    QTest::newRow("the menu with a folder") << QStringList{u"--menu"_s, u"folder"_s} << u"folder/tasks.txt"_s << false;
    QTest::newRow("Qt's option with its value")
        << QStringList{u"-style"_s, u"fusion"_s, u"folder"_s} << u"folder/tasks.txt"_s << false;
}

void StartupTest::taskFile()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, expected);
    QFETCH(bool, makesDataFolder);
    const testsupport::ScratchFolder scratch;
    const std::filesystem::path data = scratch / "no/share/yet";
    const testsupport::EnvironmentOverride dataHome("XDG_DATA_HOME", data.string());

    arguments.prepend(u"taskwyn"_s);
    const StartRequest request = readCommandLine(arguments);
    QVERIFY(std::holds_alternative<OpenWindow>(request));
    const std::filesystem::path file = std::get<OpenWindow>(request).taskFile;
    QCOMPARE(QString::fromStdString(file.string()), expected.replace(u"DATA"_s, QString::fromStdString(data.string())));
    // The menu's folder is made for the first save, private to the user.
    struct stat status
    {
    };
    QCOMPARE(::stat((data / "taskwyn").c_str(), &status) == 0, makesDataFolder);
    if (makesDataFolder)
        QCOMPARE(status.st_mode & 0777, 0700u);
}

QTEST_GUILESS_MAIN(StartupTest)
#include "tst_startup.moc"
