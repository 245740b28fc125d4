#include "commands/storereports.h"

#include "commands/filemessages.h"
#include "commands/messages.h"

#include <QCoreApplication>
#include <QMessageBox>
#include <QPushButton>

using namespace Qt::StringLiterals;

ConflictChoice askConflict(QWidget* parent, const std::filesystem::path& file)
{
    QMessageBox box(QMessageBox::Warning, QCoreApplication::applicationName(),
                    QCoreApplication::translate("StoreReports",
                                                "The task file \"%1\" was changed elsewhere since it was read here.")
                        .arg(QString::fromStdString(file.string())),
                    QMessageBox::NoButton, parent);
    box.setInformativeText(QCoreApplication::translate(
        "StoreReports", "Reload it to see the other version: your changes are kept in a conflict file beside "
                        "it.\nOr overwrite it with your changes: the other version is kept in a conflict file."));
    QPushButton* reload =
        box.addButton(QCoreApplication::translate("StoreReports", "&Reload Other Version"), QMessageBox::AcceptRole);
    QPushButton* overwrite = box.addButton(QCoreApplication::translate("StoreReports", "&Overwrite With Mine"),
                                           QMessageBox::DestructiveRole);
    reload->setObjectName(u"reloadOther"_s);
    overwrite->setObjectName(u"overwriteWithMine"_s);
    box.setDefaultButton(reload);
    box.setEscapeButton(reload);
    box.exec();
    return box.clickedButton() == overwrite ? ConflictChoice::KeepMyVersion : ConflictChoice::TakeOtherVersion;
}

SaveOutcome saveTasksAsking(QWidget* parent, Module1& store)
{
    // A conflict or a failure leaves the tables unsaved while the boxes below wait for the user, so
    // that nothing reads the file over them meanwhile.
    const SaveReport report = store.saveTasks();
    if (!report.conflict)
        return reportSave(parent, report) ? SaveOutcome::Saved : SaveOutcome::NotSaved;
    const ConflictChoice choice = askConflict(parent, store.taskFile());
    if (!reportSave(parent, store.resolveConflict(choice)))
        return SaveOutcome::NotSaved;
    if (choice == ConflictChoice::KeepMyVersion)
        return SaveOutcome::Saved;
    readBack(parent, store);
    return SaveOutcome::OtherVersionTaken;
}

SaveOutcome saveAndReadBack(QWidget* parent, Module1& store)
{
    const SaveOutcome outcome = saveTasksAsking(parent, store);
    if (outcome == SaveOutcome::Saved)
        readBack(parent, store);
    return outcome;
}

void readBack(QWidget* parent, Module1& store)
{
    reportLoadFailure(parent, store.loadTasks());
}

bool reportSave(QWidget* parent, const SaveReport& report)
{
    if (!report.ok) {
        showFileError(parent, saveFailureText(report));
        return false;
    }
    if (const QString notice = saveNoticeText(report); !notice.isEmpty())
        showFileNotice(parent, notice);
    return true;
}

void reportLoad(QWidget* parent, const LoadReport& report)
{
    reportLoadFailure(parent, report);
    if (const QString notice = loadNoticeText(report); report.ok && !notice.isEmpty())
        showFileNotice(parent, notice);
}

void reportLoadFailure(QWidget* parent, const LoadReport& report)
{
    if (!report.ok)
        showFileError(parent, loadFailureText(report));
}
