#include "sync/syncengine.h"

#include "ical/vtodo.h"
#include "store/calendar.h"
#include "store/module1.h"

#include <QFutureWatcher>
#include <QTimer>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>
#include <type_traits>

using Outcome = SyncResult::Outcome;

namespace {

SyncedItem* itemOf(SyncState& state, const std::string& uid)
{
    const QString key = QString::fromStdString(uid);
    const auto found =
        std::find_if(state.items.begin(), state.items.end(), [&](const SyncedItem& item) { return item.uid == key; });
    return found == state.items.end() ? nullptr : &*found;
}

// The items the state knows that are gone from the server: reported as removed, or, after a
// complete listing, not listed.
QList<QUrl> removedFrom(const ServerChanges& changes, const SyncState& state)
{
    QSet<QUrl> listed;
    for (const ItemVersion& item : changes.changed)
        listed.insert(item.href);
    const QSet<QUrl> reported(changes.removed.begin(), changes.removed.end());
    QList<QUrl> removed;
    for (const SyncedItem& item : state.items) {
        if (reported.contains(item.href) || (changes.complete && !listed.contains(item.href)))
            removed.append(item.href);
    }
    return removed;
}

// The listed items whose version the state does not hold already.
QList<QUrl> changedFrom(const ServerChanges& changes, const SyncState& state)
{
    QHash<QUrl, QByteArray> known;
    for (const SyncedItem& item : state.items)
        known.insert(item.href, item.etag);
    QList<QUrl> changed;
    for (const ItemVersion& item : changes.changed) {
        const auto etag = known.constFind(item.href);
        if (etag == known.cend() || *etag != item.etag || item.etag.isEmpty())
            changed.append(item.href);
    }
    return changed;
}

} // namespace

SyncEngine::SyncEngine(Module1& store, DavSession* session, TaskList list, SaveFlow save, QObject* parent)
    : QObject(parent), store_(store), session_(session), list_(std::move(list)), save_(std::move(save)),
      stateFiles_(store.taskFile())
{
}

SyncEngine::~SyncEngine()
{
    if (unsavedListener_ >= 0)
        store_.removeUnsavedListener(unsavedListener_);
    // The next run must not read or write the state while this one still writes it.
    stateWriting_.waitForFinished();
}

template <typename Work, typename Then> auto SyncEngine::offThread(Work work, Then then)
{
    using Result = std::invoke_result_t<Work>;
    auto* watcher = new QFutureWatcher<Result>(this);
    connect(watcher, &QFutureWatcherBase::finished, this, [watcher, then = std::move(then)] {
        watcher->deleteLater();
        then(watcher->result());
    });
    QFuture<Result> future = QtConcurrent::run(std::move(work));
    watcher->setFuture(future);
    return future;
}

void SyncEngine::start()
{
    requestsAtStart_ = session_->requestsSent();
    offThread([files = stateFiles_] { return files.load(); },
              [this](const LoadedSyncState& loaded) { finished_ ? void() : begin(loaded); });
}

void SyncEngine::begin(const LoadedSyncState& loaded)
{
    if (loaded.failure)
        return failOnState(*loaded.failure, Outcome::StateUnreadable);
    if (loaded.damaged)
        return finishWith(Outcome::StateUnreadable);
    state_ = loaded.state;
    recorded_ = state_;
    if (!state_.taskList.isEmpty() && state_.taskList != list_.url)
        return finishWith(Outcome::OtherList);
    state_.taskList = list_.url;
    runPass();
}

void SyncEngine::cancel()
{
    finishWith(Outcome::Cancelled);
}

void SyncEngine::launch(DavJob* job, std::function<void()> onFinished)
{
    job->setParent(this);
    running_.append(job);
    connect(job, &DavJob::finished, this, [this, job, onFinished = std::move(onFinished)] {
        running_.removeOne(job);
        job->deleteLater();
        onFinished();
    });
    job->start();
}

void SyncEngine::runPass()
{
    ++pass_;
    auto* job = new ChangesJob(session_, list_, state_.syncToken);
    launch(job, [this, job] {
        if (!failOn(*job))
            fetch(job->changes());
    });
}

void SyncEngine::fetch(const ServerChanges& changes)
{
    QList<QUrl> removed = removedFrom(changes, state_);
    // A list emptied at once is more likely replaced or wiped by mistake than cleared task by task.
    if (!state_.items.isEmpty() && changes.changed.isEmpty() && removed.size() >= state_.items.size())
        return finishWith(Outcome::ListEmptied);
    newToken_ = changes.syncToken;
    QList<QUrl> changed = changedFrom(changes, state_) + std::exchange(refetch_, {});
    total_ += static_cast<int>(changed.size());
    if (changed.isEmpty())
        return parseThenMerge({}, removed);
    auto* job = new MultigetJob(session_, list_.url, changed);
    launch(job, [this, job, removed] {
        if (failOn(*job))
            return;
        done_ += static_cast<int>(job->items().size());
        emit progress(done_, total_);
        parseThenMerge(job->items(), removed + job->missing());
    });
}

void SyncEngine::parseThenMerge(const QList<FetchedItem>& fetched, const QList<QUrl>& removed)
{
    QList<ServerItem> items;
    items.reserve(fetched.size());
    for (const FetchedItem& item : fetched)
        items.append({item.href, item.etag, item.calendarData});
    offThread([state = state_, items] { return parseForms(state, items); },
              [this, items, removed](ParsedForms parsed) {
                  if (finished_)
                      return;
                  parsed_ = std::move(parsed);
                  whenSaved([this, items, removed] { merge(items, removed); });
              });
}

void SyncEngine::whenSaved(std::function<void()> next)
{
    if (!store_.hasUnsavedChanges())
        return next();
    if (unsavedListener_ >= 0)
        return; // already waiting: what is waited for goes on from there
    // The store tells from inside its own calls: go on from the event loop, once nothing is unsaved.
    unsavedListener_ = store_.onUnsavedCleared([this, next = std::move(next)] {
        QTimer::singleShot(0, this, [this, next] {
            if (unsavedListener_ < 0 || store_.hasUnsavedChanges())
                return;
            store_.removeUnsavedListener(std::exchange(unsavedListener_, -1));
            next();
        });
    });
}

void SyncEngine::merge(const QList<ServerItem>& fetched, const QList<QUrl>& removed)
{
    const bool firstSync = state_.items.isEmpty() && state_.syncToken.isEmpty();
    merged_ = false; // till the task file holds what the merge makes of the state
    SyncMerge merge(store_, state_, std::move(parsed_.lastSynced), firstSync);
    for (qsizetype i = 0; i < fetched.size(); ++i)
        merge.takeServerVersion(fetched[i], std::move(parsed_.server[static_cast<std::size_t>(i)]));
    for (const QUrl& href : removed)
        merge.takeServerRemoval(href);
    parsed_ = {};
    toSend_ = merge.finish();
    result_.received += toSend_.received;
    result_.doubled += toSend_.doubled;
    result_.didNotFit = toSend_.didNotFit;
    result_.removedHere.insert(result_.removedHere.end(), toSend_.removedHere.begin(), toSend_.removedHere.end());
    if (toSend_.storeChanged && !save_(store_))
        return finishWith(Outcome::SaveFailed);
    merged_ = true;
    // Tasks that did not fit are listed again next time only from the token before them.
    if (toSend_.didNotFit == 0)
        state_.syncToken = newToken_;
    recordState([this] {
        nextUpload_ = 0;
        nextRemoval_ = 0;
        total_ += static_cast<int>(toSend_.uploads.size() + toSend_.removals.size());
        sendMore();
    });
}

void SyncEngine::sendMore()
{
    // What is sent becomes the last synced form, which the task file must hold.
    if (store_.hasUnsavedChanges())
        return whenSaved([this] { sendMore(); });
    while (running_.size() < maxSending &&
           (nextUpload_ < toSend_.uploads.size() || nextRemoval_ < toSend_.removals.size())) {
        if (nextUpload_ < toSend_.uploads.size())
            sendUpload(toSend_.uploads[nextUpload_++]);
        else
            sendRemoval(toSend_.removals[nextRemoval_++]);
    }
    if (running_.isEmpty())
        endPass();
}

void SyncEngine::sendUpload(const Upload& upload)
{
    const std::optional<std::int16_t> slot = store_.slotOfUid(upload.uid);
    if (!slot)
        return; // removed meanwhile: the next sync sends the deletion
    const SyncedItem* known = itemOf(state_, upload.uid);
    const std::string kept = known ? known->lastSynced.toStdString() : std::string();
    const QByteArray calendar = QByteArray::fromStdString(
        ical::calendarOfTask(store_.tasks()[*slot], known ? &kept : nullptr, epochSeconds(now())));
    auto* job = new PutJob(session_, upload.href, calendar, upload.etag);
    launch(job, [this, job, upload, calendar] {
        afterSending(*job, upload.href, [&] {
            const SyncedItem sent{QString::fromStdString(upload.uid), upload.href, job->etag(), calendar};
            if (SyncedItem* item = itemOf(state_, upload.uid))
                *item = sent;
            else
                state_.items.append(sent);
            ++result_.sent;
        });
    });
}

void SyncEngine::sendRemoval(const Removal& removal)
{
    auto* job = new DeleteJob(session_, removal.href, removal.etag);
    launch(job, [this, job, removal] {
        afterSending(*job, removal.href, [&] {
            state_.items.removeIf([&](const SyncedItem& item) { return item.href == removal.href; });
            ++result_.deletedThere;
        });
    });
}

void SyncEngine::afterSending(const DavJob& job, const QUrl& href, const std::function<void()>& onSuccess)
{
    if (finished_)
        return;
    if (job.outcome() == DavJob::Outcome::PreconditionFailed)
        refetch_.append(href);
    else if (job.outcome() == DavJob::Outcome::Succeeded || job.outcome() == DavJob::Outcome::NotFound)
        onSuccess();
    else
        return void(failOn(job));
    emit progress(++done_, total_);
    sendMore();
}

void SyncEngine::endPass()
{
    recordState([this] {
        if (refetch_.isEmpty())
            return finishWith(Outcome::Synced);
        if (pass_ == 1)
            return runPass();
        finishWith(Outcome::ChangedMeanwhile);
    });
}

void SyncEngine::recordState(std::function<void()> next)
{
    if (state_ == recorded_)
        return next();
    writingState_ = true;
    stateWriting_ =
        offThread([files = stateFiles_, state = state_] { return files.save(state); },
                  [this, state = state_, next = std::move(next)](const std::optional<FileFailure>& failure) {
                      writingState_ = false;
                      if (failure) {
                          result_.stateFailure = failure;
                          if (finished_)
                              result_.outcome = Outcome::StateNotWritten;
                          return finished_ ? announceEnd() : finishWith(Outcome::StateNotWritten);
                      }
                      recorded_ = state;
                      finished_ ? announceEnd() : next();
                  });
}

bool SyncEngine::failOn(const DavJob& job)
{
    switch (job.outcome()) {
    case DavJob::Outcome::Succeeded:
        return false;
    case DavJob::Outcome::NetworkFailure:
    case DavJob::Outcome::ServerBusy:
        finishWith(Outcome::Offline, job.detail());
        break;
    case DavJob::Outcome::PasswordRefused:
        finishWith(Outcome::PasswordRefused, job.detail());
        break;
    case DavJob::Outcome::Cancelled:
        finishWith(Outcome::Cancelled);
        break;
    case DavJob::Outcome::NotFound:
        finishWith(Outcome::ListGone, job.detail());
        break;
    default:
        finishWith(Outcome::ServerFailed, job.detail());
        break;
    }
    return true;
}

void SyncEngine::finishWith(Outcome outcome, const QString& detail)
{
    if (finished_)
        return;
    finished_ = true;
    result_.outcome = outcome;
    result_.detail = detail;
    if (unsavedListener_ >= 0)
        store_.removeUnsavedListener(std::exchange(unsavedListener_, -1));
    for (const QPointer<DavJob>& job : QList(running_)) {
        if (job)
            job->cancel();
    }
    result_.requests = session_ ? session_->requestsSent() - requestsAtStart_ : 0;
    if (writingState_)
        return; // the writing's end announces it
    announceEnd();
}

void SyncEngine::announceEnd()
{
    // What was sent so far is recorded; the rest stays changed here and goes out next time.
    if (merged_ && !result_.stateFailure && state_ != recorded_)
        return recordState([] {});
    // Never from inside start(): the caller hears of the end from the event loop, as with every job.
    QTimer::singleShot(0, this, &SyncEngine::finished);
}

void SyncEngine::failOnState(const FileFailure& failure, Outcome outcome)
{
    result_.stateFailure = failure;
    finishWith(outcome);
}
