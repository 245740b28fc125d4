// frmMain's export and import of tasks as iCalendar files: from the menu and by dropping files.
#include "commands/filemessages.h"
#include "commands/messages.h"
#include "commands/storereports.h"
#include "mainwindow/frmmain.h"
#include "os/atomicfile.h"
#include "widgets/dialogframe.h"

#include <QAction>
#include <QDropEvent>
#include <QFile>
#include <QFileDialog>
#include <QFutureWatcher>
#include <QMimeData>
#include <QStatusBar>
#include <QTimer>
#include <QUndoStack>
#include <QtConcurrent/QtConcurrentRun>

#include <utility>

using namespace Qt::StringLiterals;

namespace {

constexpr int exportNoticeMilliseconds = 10'000;
constexpr int answerRetryMilliseconds = 250;

std::filesystem::path localPath(const QString& file)
{
    return QFile::encodeName(file).toStdString();
}

// The one file the user chose, or nothing when the dialog was cancelled.
std::optional<std::filesystem::path> chooseCalendarFile(QWidget* parent, QFileDialog::AcceptMode mode)
{
    const bool saving = mode == QFileDialog::AcceptSave;
    QFileDialog dialog(parent, saving ? frmMain::tr("Export Tasks") : frmMain::tr("Import Tasks"));
    dialog.setObjectName(u"calendarFileDialog"_s);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(saving ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setNameFilters({frmMain::tr("iCalendar files (*.ics)"), frmMain::tr("All files (*)")});
    dialog.setDefaultSuffix(u"ics"_s);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return localPath(dialog.selectedFiles().constFirst());
}

// The local .ics files among what is dragged; anything else is not for this window.
std::vector<std::filesystem::path> calendarFilesOf(const QMimeData& data)
{
    std::vector<std::filesystem::path> files;
    for (const QUrl& url : data.urls()) {
        if (url.isLocalFile() && url.toLocalFile().endsWith(u".ics"_s, Qt::CaseInsensitive))
            files.push_back(localPath(url.toLocalFile()));
    }
    return files;
}

} // namespace

// Tasks without a uid get one and are saved as any change is, so that the file and the export
// name each task alike. A full table takes longer than a frame to write: the forms are read and the
// file written away from the drawing thread, from a copy of the tasks as they were saved.
void frmMain::exportTasks()
{
    const std::optional<std::filesystem::path> file = chooseCalendarFile(this, QFileDialog::AcceptSave);
    if (!file)
        return;
    if (store_.giveMissingUids() > 0 && saveAndReadBack(this, store_) != SaveOutcome::Saved)
        return; // the user was told, or chose the other version
    menu_export->setEnabled(false);
    auto* writing = new QFutureWatcher<std::optional<FileFailure>>(this);
    connect(writing, &QFutureWatcherBase::finished, this, [this, writing, file = *file, count = store_.taskCount] {
        writing->deleteLater();
        menu_export->setEnabled(true);
        if (const std::optional<FileFailure> failure = writing->result())
            return showFileError(this, fileFailureText(*failure));
        StatusBar1->showMessage(
            tr("%n task(s) exported to \"%1\".", nullptr, count).arg(QString::fromStdString(file.string())),
            exportNoticeMilliseconds);
    });
    writing->setFuture(QtConcurrent::run([tasks = std::vector(store_.tasks().begin(), store_.tasks().end()),
                                          file = *file, at = epochSeconds(now())]() -> std::optional<FileFailure> {
        ical::KeptForms forms;
        if (std::optional<FileFailure> failure = forms.load())
            return failure;
        return writeFileAtomically(file, ical::exportText(tasks, forms, at));
    }));
}

void frmMain::chooseImport()
{
    if (const std::optional<std::filesystem::path> file = chooseCalendarFile(this, QFileDialog::AcceptOpen))
        startImport({*file});
}

// A large file takes longer than a frame to read, and its forms to keep: the window goes on
// meanwhile, and one import at a time runs.
void frmMain::startImport(const std::vector<std::filesystem::path>& files)
{
    menu_import->setEnabled(false);
    importReading_ = new QFutureWatcher<ical::CalendarFiles>(this);
    connect(importReading_, &QFutureWatcherBase::finished, this, &frmMain::planImported);
    importReading_->setFuture(QtConcurrent::run(ical::readCalendarFiles, files));
}

void frmMain::planImported()
{
    const ical::CalendarFiles read = importReading_->result();
    importReading_->deleteLater();
    importReading_ = nullptr;
    if (const QString failure = calendarReadFailureText(read); !failure.isEmpty()) {
        menu_import->setEnabled(true);
        showFileError(this, failure);
        return;
    }
    ical::ImportPlan plan = ical::planImport(store_, read.content);
    if (plan.tasks.empty()) {
        menu_import->setEnabled(true);
        showImportSummary(plan.summary);
        return;
    }
    formsKeeping_ = new QFutureWatcher<std::optional<FileFailure>>(this);
    connect(formsKeeping_, &QFutureWatcherBase::finished, this, &frmMain::appendImported);
    formsKeeping_->setFuture(QtConcurrent::run([plan] {
        ical::KeptForms forms;
        return ical::keepForms(plan, forms);
    }));
    importPlan_ = std::move(plan);
}

void frmMain::appendImported()
{
    if (!formsKeeping_ || !formsKeeping_->isFinished())
        return;
    // The tasks come in once no dialog waits for an answer, as another program's change does.
    if (answerAwaited()) {
        QTimer::singleShot(answerRetryMilliseconds, this, &frmMain::appendImported);
        return;
    }
    const std::optional<FileFailure> failure = formsKeeping_->result();
    formsKeeping_->deleteLater();
    formsKeeping_ = nullptr;
    ical::ImportPlan plan = *std::exchange(importPlan_, std::nullopt);
    menu_import->setEnabled(true);
    if (failure) {
        showFileError(this, fileFailureText(*failure));
        return;
    }
    const std::optional<TaskRecord> chosen = selectedTask();
    cleanList();
    history_->push(importStep(commands_, std::move(plan.tasks)).release());
    redrawSelecting(chosen);
    // A save that failed was told, and the tasks stay on screen until one works.
    if (commands_.lastSave == SaveOutcome::Saved)
        showImportSummary(plan.summary);
}

void frmMain::showImportSummary(const ical::ImportSummary& summary)
{
    showFileNotice(this, importSummaryText(summary));
}

void frmMain::dragEnterEvent(QDragEnterEvent* event)
{
    if (menu_import->isEnabled() && !calendarFilesOf(*event->mimeData()).empty())
        event->acceptProposedAction();
}

// All files of one drop are one import: one step, one summary.
void frmMain::dropEvent(QDropEvent* event)
{
    const std::vector<std::filesystem::path> files = calendarFilesOf(*event->mimeData());
    if (!menu_import->isEnabled() || files.empty())
        return;
    event->acceptProposedAction();
    startImport(files);
}
