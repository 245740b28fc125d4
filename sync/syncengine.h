#pragma once

#include "ical/keptforms.h"
#include "sync/davjob.h"
#include "sync/davjobs.h"
#include "sync/syncmerge.h"
#include "sync/syncstate.h"

#include <QDateTime>
#include <QFuture>
#include <QObject>
#include <QPointer>

#include <functional>
#include <optional>

class Module1;

// What one sync did, as facts for the status bar and the command line to word.
struct SyncResult
{
    enum class Outcome {
        Synced,
        Offline,          // no answer, or a busy server: the changes stay here and go out later
        PasswordRefused,  // nothing changed, the state neither
        ListEmptied,      // the list came back empty while the state knows tasks: nothing was deleted
        ListGone,         // the chosen list is no longer on the server
        OtherList,        // the state belongs to another list than the chosen one
        StateUnreadable,  // the sync state is damaged or cannot be read; `stateFailure` says why if it can
        StateNotWritten,  // `stateFailure` says why; the next sync repeats the work, nothing is lost
        SaveFailed,       // the task file could not be saved (the save flow told why); the state is as it was
        ChangedMeanwhile, // tasks changed on the server again while they were sent: they go out next time
        ServerFailed,     // the server refused or answered what cannot be read; `detail` has its words
        BadCertificate,   // the server's certificate did not verify; `detail` says why
        Cancelled,        // cancel() ended it; what was sent is recorded, the rest goes out next time
        NotSetUp,         // no account is kept for the task file
        NoPassword,       // the secret store holds no password for the account; `detail` says why if it can
        ManyRemoved,      // the server would remove `wouldRemove` tasks here: nothing changed, the user decides
    };
    // The cases where nothing more happens until the user decides.
    bool asksUser() const
    {
        return outcome == Outcome::ListEmptied || outcome == Outcome::ListGone || outcome == Outcome::OtherList ||
               outcome == Outcome::StateUnreadable || outcome == Outcome::ManyRemoved;
    }
    Outcome outcome = Outcome::Synced;
    QString detail; // the HTTP status line or the network error, for the details view
    std::optional<FileFailure> stateFailure;
    int received = 0; // tasks added or changed here
    int sent = 0;     // tasks written to the server
    int deletedThere = 0;
    int doubled = 0;                     // changed on both sides: kept as two tasks
    int didNotFit = 0;                   // left on the server for want of room in the table
    std::vector<TaskRecord> removedHere; // deleted on the server, unchanged here: for an undo step
    int wouldRemove = 0;                 // synced tasks the server reported gone, with ManyRemoved
    int ignored = 0;                     // addresses or items of the server's answers not taken in
    QDateTime retryAt;                   // when a busy server asked to be asked again; invalid when it did not
    int requests = 0;
};

// One sync run of a task file with its task list, asynchronous: start() returns at once, progress()
// follows while it runs and finished() once at its end. It waits while the tables hold what the
// task file does not, and the task file is saved through `save` (the window's flow with its
// conflict handling, or the plain store save) before the state is written. Reading, parsing and
// writing the state run on worker threads with copies; the store is touched on the event thread only.
class SyncEngine : public QObject
{
    Q_OBJECT

public:
    using SaveFlow = std::function<bool(Module1&)>;

    SyncEngine(Module1& store, DavSession* session, TaskList list, SaveFlow save, QObject* parent = nullptr);
    ~SyncEngine() override;

    void start();
    // Ends the run at once, as when the user stops syncing or quits; finished() follows.
    void cancel();
    const SyncResult& result() const { return result_; }
    // The user has agreed that this run removes here what the server removed, however many.
    void agreeToRemovals() { removalsAgreed_ = true; }
    // While this holds, the server's changes wait before they enter the tables: a dialog that hands
    // back an edited copy of a task must find that task as it was when it opened.
    void holdChangesWhile(std::function<bool()> busy) { busy_ = std::move(busy); }

signals:
    void progress(int done, int total);
    void finished();

private:
    // Runs `work` on a worker thread and hands its result to `then` on the event thread, unless the
    // engine is gone by then.
    template <typename Work, typename Then> auto offThread(Work work, Then then);
    void begin(const LoadedSyncState& loaded);
    void runPass();
    void fetch(const ServerChanges& changes);
    void parseThenMerge(const QList<FetchedItem>& fetched, const QList<QUrl>& removed);
    void whenSaved(std::function<void()> next);
    void merge(const QList<ServerItem>& fetched, const QList<QUrl>& removed);
    [[nodiscard]] bool removesTooMany(const QList<QUrl>& removed);
    // Runs `job` as a child of the engine; `onFinished` may start the next one.
    void launch(DavJob* job, std::function<void()> onFinished);
    void prepareSending();
    void recordAndSend(const std::vector<QByteArray>& forms);
    void sendMore();
    void sendUpload(const Upload& upload);
    void sendRemoval(const Removal& removal);
    void afterSending(const DavJob& job, const QUrl& href, const std::function<void()>& onSuccess);
    void endPass();
    // Writes the state unless the files hold it already, then calls `next`; a failure ends the run.
    void recordState(std::function<void()> next);
    bool failOn(const DavJob& job);
    // What a failed job ends the run with; a busy server's wish to be left alone is kept for the result.
    std::pair<SyncResult::Outcome, QString> takeFailure(const DavJob& job);
    void finishWith(SyncResult::Outcome outcome, const QString& detail = {});
    void announceEnd();
    void failOnState(const FileFailure& failure, SyncResult::Outcome outcome);
    // The forms agreed on with the server that the kept forms do not hold yet, put into them.
    std::vector<std::pair<std::string, std::string>> adoptSyncedForms();

    // PUTs and DELETEs in flight at once: the server works on one while the next travels, and Qt
    // opens up to six connections to one host.
    static constexpr int maxSending = 6;
    // The first pass, one after 412s, and one that only takes the token after the writes: while other
    // clients keep writing, the rest waits for the next sync.
    static constexpr int maxPasses = 3;

    Module1& store_;
    QPointer<DavSession> session_;
    QList<QPointer<DavJob>> running_;
    TaskList list_;
    SaveFlow save_;
    SyncStateFiles stateFiles_;
    SyncState state_;
    SyncState recorded_;        // as on disk: a sync that changed nothing writes nothing
    ical::KeptForms keptForms_; // what every upload starts from
    QFuture<std::optional<FileFailure>> stateWriting_;
    bool writingState_ = false; // till the event thread has heard the writing's end
    bool merged_ = false;       // from the merge on, what was sent is recorded however the run ends
    // Writes went out after the last listing: a server may leave out of an answer to its token an
    // item written and removed since, so a run ending so keeps no token.
    bool wroteSinceListing_ = false;
    QString newToken_;
    ParsedForms parsed_;
    MergeResult toSend_;
    std::size_t nextUpload_ = 0;
    std::size_t nextRemoval_ = 0;
    int done_ = 0;
    int total_ = 0;
    int pass_ = 0;
    QList<QUrl> refetch_; // items that answered 412: fetched and merged again in a second pass
    std::optional<std::pair<SyncResult::Outcome, QString>> sendFailure_; // ends the run once nothing is in flight
    int unsavedListener_ = -1;
    int requestsAtStart_ = 0;
    bool finished_ = false;
    bool removalsAgreed_ = false;
    std::function<bool()> busy_ = [] { return false; };
    SyncResult result_;
};
