#include "sync/syncengine.h"

#include "ical/vtodo.h"
#include "store/module1.h"

#include <QTimer>

#include <algorithm>

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
      now_([] { return std::time(nullptr); }), stateFiles_(store.taskFile())
{
}

SyncEngine::~SyncEngine()
{
    if (unsavedListener_ >= 0)
        store_.removeUnsavedListener(unsavedListener_);
}

void SyncEngine::start()
{
    requestsAtStart_ = session_->requestsSent();
    const LoadedSyncState loaded = stateFiles_.load();
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
    if (running_)
        return running_->cancel();
    if (unsavedListener_ >= 0)
        store_.removeUnsavedListener(std::exchange(unsavedListener_, -1));
    finishWith(Outcome::Cancelled);
}

void SyncEngine::launch(DavJob* job, std::function<void()> onFinished)
{
    job->setParent(this);
    running_ = job;
    connect(job, &DavJob::finished, this, [this, job, onFinished = std::move(onFinished)] {
        running_ = nullptr;
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
        return whenSaved([this, removed] { merge({}, removed); });
    auto* job = new MultigetJob(session_, list_.url, changed);
    launch(job, [this, job, removed] {
        if (failOn(*job))
            return;
        done_ += static_cast<int>(job->items().size());
        emit progress(done_, total_);
        whenSaved([this, items = job->items(), removed = removed + job->missing()] { merge(items, removed); });
    });
}

void SyncEngine::whenSaved(std::function<void()> next)
{
    if (!store_.hasUnsavedChanges())
        return next();
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

void SyncEngine::merge(const QList<FetchedItem>& fetched, const QList<QUrl>& removed)
{
    const bool firstSync = state_.items.isEmpty() && state_.syncToken.isEmpty();
    SyncMerge merge(store_, state_, firstSync);
    for (const FetchedItem& item : fetched)
        merge.takeServerVersion({item.href, item.etag, item.calendarData});
    for (const QUrl& href : removed)
        merge.takeServerRemoval(href);
    merged_ = merge.finish();
    result_.received += merged_.received;
    result_.doubled += merged_.doubled;
    result_.didNotFit = merged_.didNotFit;
    result_.removedHere.insert(result_.removedHere.end(), merged_.removedHere.begin(), merged_.removedHere.end());
    if (merged_.storeChanged && !save_(store_))
        return finishWith(Outcome::SaveFailed);
    // Tasks that did not fit are listed again next time only from the token before them.
    if (merged_.didNotFit == 0)
        state_.syncToken = newToken_;
    if (!recordState())
        return;
    nextUpload_ = 0;
    nextRemoval_ = 0;
    total_ += static_cast<int>(merged_.uploads.size() + merged_.removals.size());
    sendNext();
}

void SyncEngine::sendNext()
{
    // What is sent becomes the last synced form, which the task file must hold.
    if (store_.hasUnsavedChanges())
        return whenSaved([this] { sendNext(); });
    if (nextUpload_ < merged_.uploads.size())
        return sendUpload(merged_.uploads[nextUpload_++]);
    if (nextRemoval_ < merged_.removals.size())
        return sendRemoval(merged_.removals[nextRemoval_++]);
    endPass();
}

void SyncEngine::sendUpload(const Upload& upload)
{
    const std::optional<std::int16_t> slot = store_.slotOfUid(upload.uid);
    if (!slot)
        return sendNext(); // removed meanwhile: the next sync sends the deletion
    const SyncedItem* known = itemOf(state_, upload.uid);
    const std::string kept = known ? known->lastSynced.toStdString() : std::string();
    const QByteArray calendar =
        QByteArray::fromStdString(ical::calendarOfTask(store_.tasks()[*slot], known ? &kept : nullptr, now_()));
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
    if (job.outcome() == DavJob::Outcome::PreconditionFailed) {
        refetch_.append(href);
    } else if (job.outcome() == DavJob::Outcome::Succeeded || job.outcome() == DavJob::Outcome::NotFound) {
        onSuccess();
    } else {
        // What was sent so far is recorded; the rest stays changed here and goes out next time.
        if (recordState())
            failOn(job);
        return;
    }
    emit progress(++done_, total_);
    sendNext();
}

void SyncEngine::endPass()
{
    if (!recordState())
        return;
    if (refetch_.isEmpty())
        return finishWith(Outcome::Synced);
    if (pass_ == 1)
        return runPass();
    finishWith(Outcome::ChangedMeanwhile);
}

bool SyncEngine::recordState()
{
    if (state_ == recorded_)
        return true;
    recorded_ = state_;
    if (const std::optional<FileFailure> failure = stateFiles_.save(state_)) {
        failOnState(*failure, Outcome::StateNotWritten);
        return false;
    }
    return true;
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
    result_.requests = session_ ? session_->requestsSent() - requestsAtStart_ : 0;
    // Never from inside start(): the caller hears of the end from the event loop, as with every job.
    QTimer::singleShot(0, this, &SyncEngine::finished);
}

void SyncEngine::failOnState(const FileFailure& failure, Outcome outcome)
{
    result_.stateFailure = failure;
    finishWith(outcome);
}
