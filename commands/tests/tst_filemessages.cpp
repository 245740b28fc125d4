#include "commands/filemessages.h"

#include <QTest>

#include <cerrno>

using namespace Qt::StringLiterals;

// Every fact the file helpers and the store report, worded: the English texts are the ones users
// and their scripts have always seen, to the byte.
class FileMessagesTest : public QObject
{
    Q_OBJECT

private slots:
    void wordsEveryCaseAsBefore_data();
    void wordsEveryCaseAsBefore() const;
};

namespace {

using Kind = FailureReason::Kind;

const std::filesystem::path taskFile = "/home/sam/tasks.txt";
const std::filesystem::path backup = "/home/sam/tasks.txt.bak";

QString reason(FailureReason why)
{
    return failureReasonText(why);
}

QString notRegular(FileKind kind)
{
    return reason({Kind::NotRegularFile, 0, kind});
}

QString loadNotice(int tasksLeftOut, int rulesLeftOut)
{
    LoadReport report;
    report.tasksLeftOut = tasksLeftOut;
    report.rulesLeftOut = rulesLeftOut;
    report.olderEncoding = tasksLeftOut + rulesLeftOut == 0;
    report.notice = LoadNotice{taskFile, backup};
    return loadNoticeText(report);
}

QString saveNotice(std::optional<KeptVersion::Whose> whose, bool backupKept)
{
    SaveReport report;
    if (whose)
        report.keptVersion = KeptVersion{*whose, "/home/sam/tasks (conflict 2026-12-08 10-31).txt"};
    if (backupKept)
        report.backupKept = backup;
    return saveNoticeText(report);
}

} // namespace

void FileMessagesTest::wordsEveryCaseAsBefore_data()
{
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("expected");

    QTest::newRow("read") << fileFailureText({FileAction::ReadFile, taskFile, FailureReason::system(EACCES)})
                          << u"Cannot read file \"/home/sam/tasks.txt\":\nPermission denied"_s;
    QTest::newRow("write") << fileFailureText({FileAction::WriteFile, "tasks.txt", {Kind::ReadOnly}})
                           << u"Cannot write file \"tasks.txt\":\nThe file is read-only."_s;
    QTest::newRow("folder") << fileFailureText({FileAction::WriteInFolder, "/home/sam", FailureReason::system(EROFS)})
                            << u"Cannot write in folder \"/home/sam\":\nRead-only file system"_s;
    QTest::newRow("markers in the path stay")
        << fileFailureText({FileAction::ReadFile, "/tmp/%2 %1/tasks.txt", {Kind::NameTaken}})
        << u"Cannot read file \"/tmp/%2 %1/tasks.txt\":\nFile exists"_s;

    QTest::newRow("pipe") << notRegular(FileKind::NamedPipe) << u"It is a named pipe (FIFO), not a regular file."_s;
    QTest::newRow("character device") << notRegular(FileKind::CharacterDevice)
                                      << u"It is a character device, not a regular file."_s;
    QTest::newRow("block device") << notRegular(FileKind::BlockDevice)
                                  << u"It is a block device, not a regular file."_s;
    QTest::newRow("socket") << notRegular(FileKind::Socket) << u"It is a socket, not a regular file."_s;
    QTest::newRow("unknown kind") << notRegular(FileKind::Unknown)
                                  << u"It is of an unknown kind, not a regular file."_s;
    QTest::newRow("directory") << reason(FailureReason::system(EISDIR)) << u"Is a directory"_s;
    QTest::newRow("too large") << reason({Kind::TooLarge, 0, FileKind::Unknown, 256})
                               << u"The file is larger than 256 MiB."_s;
    QTest::newRow("symbolic link") << reason({Kind::SymbolicLink}) << u"It is a symbolic link."_s;
    QTest::newRow("not a folder") << reason({Kind::NotAFolder}) << u"It is not a folder."_s;
    QTest::newRow("another user's") << reason({Kind::OtherUsersFolder}) << u"It belongs to another user."_s;
    QTest::newRow("not created") << reason({Kind::FolderNotCreated, EACCES})
                                 << u"It cannot be created: Permission denied"_s;
    QTest::newRow("not private") << reason({Kind::FolderNotPrivate, EPERM})
                                 << u"It cannot be made private: Operation not permitted"_s;
    QTest::newRow("not plain") << reason({Kind::NotPlainFile}) << u"It is not a plain file."_s;
    QTest::newRow("no home") << pageFailureText({})
                             << u"Cannot write the attention page:\nno home folder was found to keep it in."_s;

    const QString keptBeforeSave = u"; they were not loaded.\nBefore the file is next saved, a copy of it is kept as "
                                   "\"/home/sam/tasks.txt.bak\"."_s;
    QTest::newRow("tasks left out")
        << loadNotice(4, 0)
        << u"The task file \"/home/sam/tasks.txt\" holds 4 task(s) beyond the 1001 that fit"_s + keptBeforeSave;
    QTest::newRow("rules left out")
        << loadNotice(0, 2)
        << u"The task file \"/home/sam/tasks.txt\" holds 2 rule(s) beyond the 101 that fit"_s + keptBeforeSave;
    QTest::newRow("both left out") << loadNotice(4, 2)
                                   << u"The task file \"/home/sam/tasks.txt\" holds 4 task(s) beyond the 1001 that fit "
                                      "and 2 rule(s) beyond the 101 that fit"_s +
                                          keptBeforeSave;
    QTest::newRow("older encoding")
        << loadNotice(0, 0)
        << u"The task file \"/home/sam/tasks.txt\" was written in an older encoding (Windows-1252) and has been read "
           u"in "
           "it.\nIt will be saved as UTF-8; before that, a copy of it is kept as \"/home/sam/tasks.txt.bak\"."_s;

    LoadReport renewed;
    renewed.uidsRenewed = 2;
    QTest::newRow("uids renewed")
        << loadNoticeText(renewed)
        << u"2 task(s) in the task file had the identity of an earlier task and got a new one."_s;
    QTest::newRow("import summary")
        << importSummaryText({.imported = 12, .alreadyHere = 3, .events = 2, .others = 1, .didNotFit = 40})
        << u"12 task(s) imported, 3 already here, 2 event(s) skipped, 1 other item(s) skipped, 40 did not fit"_s;
    QTest::newRow("not read") << saveFailureText(SaveReport::refused({SaveRefusal::Why::LoadFailed, taskFile}))
                              << u"The task file \"/home/sam/tasks.txt\" could not be read, so it is not written "
                                 "over.\nMake it readable, then start again."_s;
    QTest::newRow("conflict") << saveFailureText(SaveReport::refused({SaveRefusal::Why::ChangedElsewhere, taskFile}))
                              << u"The task file \"/home/sam/tasks.txt\" was changed by another program since it "
                                 "was read; it was not written over."_s;
    QTest::newRow("backup kept") << saveNotice(std::nullopt, true)
                                 << u"A copy of the previous task file was kept as \"/home/sam/tasks.txt.bak\"."_s;
    QTest::newRow("yours kept") << saveNotice(KeptVersion::Whose::Yours, false)
                                << u"Your version was kept as \"/home/sam/tasks (conflict 2026-12-08 10-31).txt\"."_s;
    QTest::newRow("other kept, then backup")
        << saveNotice(KeptVersion::Whose::Other, true)
        << u"The other version was kept as \"/home/sam/tasks (conflict 2026-12-08 10-31).txt\".\nA copy of the "
           "previous task file was kept as \"/home/sam/tasks.txt.bak\"."_s;
}

void FileMessagesTest::wordsEveryCaseAsBefore() const
{
    QFETCH(QString, shown);
    QFETCH(QString, expected);
    QCOMPARE(shown, expected);
}

QTEST_GUILESS_MAIN(FileMessagesTest)
#include "tst_filemessages.moc"
