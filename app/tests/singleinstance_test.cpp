// One Taskwyn per task file, with the real program as the other process: a second start raises the
// first and leaves the file alone; a lock whose holder was killed is taken over; a holder that does
// not answer is reported.
#include "app/singleinstance.h"
#include "os/tests/filetesting.h"

#include <QLockFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>

#include <filesystem>
#include <memory>

using testsupport::EnvironmentOverride;
using testsupport::folderEntries;
using testsupport::readBytes;
using testsupport::ScratchFolder;
using testsupport::writeBytes;

namespace fs = std::filesystem;

class SingleInstanceTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void secondStartRaisesTheFirstAndLeavesTheFileAlone();
    void lockOfAKilledProgramIsTakenOver();
    void startWaitsForASyncWithoutWindow();
    void holderThatDoesNotAnswerIsReported();

private:
    // The program in the task file's folder, with the same runtime folder as this test.
    std::unique_ptr<QProcess> start();

    std::unique_ptr<ScratchFolder> folder_;
    std::unique_ptr<EnvironmentOverride> runtime_;
    fs::path taskFile_;
    const std::string content_ = "ttl=Alpha\r\nact=addtask\r\n";
};

void SingleInstanceTest::init()
{
    // Under /tmp: a socket's path has room for little more than 100 characters.
    folder_ = std::make_unique<ScratchFolder>(fs::temp_directory_path());
    fs::create_directory(*folder_ / "run");
    fs::permissions(*folder_ / "run", fs::perms::owner_all);
    runtime_ = std::make_unique<EnvironmentOverride>("XDG_RUNTIME_DIR", (*folder_ / "run").string());
    taskFile_ = *folder_ / "tasks.txt";
    writeBytes(taskFile_, content_);
}

void SingleInstanceTest::cleanup()
{
    runtime_.reset();
    folder_.reset();
}

std::unique_ptr<QProcess> SingleInstanceTest::start()
{
    auto program = std::make_unique<QProcess>();
    program->setWorkingDirectory(QString::fromStdString(folder_->path().string()));
    program->setProcessChannelMode(QProcess::ForwardedChannels);
    program->start(QStringLiteral(TASKWYN_PROGRAM), {});
    return program;
}

void SingleInstanceTest::secondStartRaisesTheFirstAndLeavesTheFileAlone()
{
    SingleInstance first(taskFile_);
    QCOMPARE(first.claim(), SingleInstance::Claim::Claimed);
    QSignalSpy raised(&first, &SingleInstance::raiseRequested);

    const auto second = start();
    QTRY_VERIFY_WITH_TIMEOUT(second->state() == QProcess::NotRunning, 20000);
    QCOMPARE(second->exitStatus(), QProcess::NormalExit);
    QCOMPARE(second->exitCode(), 0);
    QCOMPARE(raised.count(), 1);
    QCOMPARE(readBytes(taskFile_), content_);
    QCOMPARE(folderEntries(folder_->path()), (std::vector<std::string>{"run", "tasks.txt"}));
}

void SingleInstanceTest::lockOfAKilledProgramIsTakenOver()
{
    SingleInstance later(taskFile_);
    const auto killed = start();
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(later.serverName()), 20000);
    killed->kill();
    QVERIFY(killed->waitForFinished());

    QCOMPARE(later.claim(), SingleInstance::Claim::Claimed);
}

void SingleInstanceTest::startWaitsForASyncWithoutWindow()
{
    auto syncing = std::make_unique<SingleInstance>(taskFile_);
    QVERIFY(syncing->takeWithoutWindow());
    QSignalSpy raised(syncing.get(), &SingleInstance::raiseRequested);
    const auto window = start();
    QVERIFY(window->waitForStarted());
    QTest::qWait(500);
    QCOMPARE(window->state(), QProcess::Running);
    syncing.reset();

    // Once the sync is done the window takes the file: a later start raises it, once it listens.
    SingleInstance later(taskFile_);
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(later.serverName()), 20000);
    QTRY_COMPARE_WITH_TIMEOUT(later.claim(), SingleInstance::Claim::RaisedOther, 20000);
    QCOMPARE(raised.count(), 0);
    window->kill();
    QVERIFY(window->waitForFinished());
}

void SingleInstanceTest::holderThatDoesNotAnswerIsReported()
{
    SingleInstance second(folder_->path() / "." / "tasks.txt");
    QLockFile silent(second.lockPath());
    QVERIFY(silent.tryLock(0));
    QCOMPARE(second.claim(), SingleInstance::Claim::Unreachable);
}

QTEST_MAIN(SingleInstanceTest)
#include "singleinstance_test.moc"
