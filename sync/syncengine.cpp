#include "sync/syncengine.h"

#include "ical/vtodo.h"
#include "store/calendar.h"
#include "store/module1.h"
#include "sync/davaddress.h"

#include <QFutureWatcher>
#include <QTimer>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>
#include <chrono>
#include <iterator>
#include <type_traits>

using Outcome = SyncResult::Outcome;
using namespace Qt::StringLiterals;

namespace {

// How soon a run held by a dialog looks again: soon after the dialog closes, seldom while it is open.
constexpr std::chrono::milliseconds busyRetry{250};

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

// New tasks sent unanswered that arrived and were removed since: only a report of changes tells
// them from ones that never arrived.
QList<QUrl> sentAndRemoved(const ServerChanges& changes, const SyncState& state)
{
    QSet<QUrl> unknown;
    for (const SentWrite& sent : state.sent)
        unknown.insert(sent.href);
    for (const SyncedItem& item : state.items)
        unknown.remove(item.href);
    QList<QUrl> removed;
    std::copy_if(changes.removed.begin(), changes.removed.end(), std::back_inserter(removed),
                 [&](const QUrl& href) { return unknown.contains(href); });
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

// The forms first: a state written without them would leave the next upload a form short.
std::optional<FileFailure> keepFormsThenSave(const SyncStateFiles& files, const SyncState& state,
                                             const std::vector<std::pair<std::string, std::string>>& forms)
{
    ical::KeptForms kept;
    if (auto failure = forms.empty() ? std::nullopt : kept.add(forms))
        return failure;
    return files.save(state);
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
    const auto deadline = session_->limits().syncDeadline;
    QTimer::singleShot(deadline, this, [this, deadline] {
        finishWith(Outcome::ServerFailed, u"the sync did not end within %1 s"_s.arg(deadline.count() / 1000.0));
    });
    offThread(
        [files = stateFiles_, forms = keptForms_]() mutable {
            LoadedSyncState loaded = files.load();
            if (!loaded.failure)
                loaded.failure = forms.load();
            return std::pair(std::move(loaded), std::move(forms));
        },
        [this](const std::pair<LoadedSyncState, ical::KeptForms>& loaded) {
            keptForms_ = loaded.second;
            finished_ ? void() : begin(loaded.first);
        });
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
    // An earlier version took in hrefs elsewhere; their tasks go out again as new ones in the list.
    state_.items.removeIf([this](const SyncedItem& item) { return !isInside(item.href, list_.url); });
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
        result_.ignored += job->ignored();
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
        if (failOn(*job))
            return;
        wroteSinceListing_ = false;
        fetch(job->changes());
    });
}

void SyncEngine::fetch(const ServerChanges& changes)
{
    QList<QUrl> removed = removedFrom(changes, state_);
    // A list emptied at once is more likely replaced or wiped by mistake than cleared task by task.
    if (!state_.items.isEmpty() && changes.changed.isEmpty() && removed.size() >= state_.items.size())
        return finishWith(Outcome::ListEmptied);
    removed += sentAndRemoved(changes, state_);
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

// Many tasks gone at once are more likely a server's fault than the user's work elsewhere.
bool SyncEngine::removesTooMany(const QList<QUrl>& removed)
{
    QSet<QUrl> known;
    for (const SyncedItem& item : std::as_const(state_.items))
        known.insert(item.href);
    const auto gone =
        std::count_if(removed.begin(), removed.end(), [&](const QUrl& href) { return known.contains(href); });
    const qsizetype synced = state_.items.size();
    result_.wouldRemove = static_cast<int>(gone);
    return !removalsAgreed_ && gone > 0 && (gone >= synced || (gone > 10 && gone * 4 > synced));
}

void SyncEngine::parseThenMerge(const QList<FetchedItem>& fetched, const QList<QUrl>& removed)
{
    if (removesTooMany(removed))
        return finishWith(Outcome::ManyRemoved);
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
    if (busy_()) {
        // Nothing tells when a dialog closes: look again in a little while.
        QTimer::singleShot(busyRetry, this, [this, next = std::move(next)]() mutable {
            if (!finished_)
                whenSaved(std::move(next));
        });
        return;
    }
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
    SyncMerge merge(store_, state_, std::move(parsed_.lastSynced), std::move(parsed_.sent), firstSync);
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
    prepareSending();
}

void SyncEngine::prepareSending()
{
    struct Source
    {
        TaskRecord task;
        std::optional<std::string> kept;
    };
    // The forms are made from the tables while the task file holds them, as what is sent becomes
    // the last synced form.
    std::vector<Source> sources;
    sources.reserve(toSend_.uploads.size());
    for (const Upload& upload : toSend_.uploads) {
        // Every way out starts from the kept form; a state written before forms were kept has only its own.
        const std::string* kept = keptForms_.find(upload.uid);
        const SyncedItem* known = itemOf(state_, upload.uid);
        std::optional<std::string> form = kept ? std::optional(*kept) : std::nullopt;
        if (!form && known)
            form = known->lastSynced.toStdString();
        sources.push_back({store_.tasks()[*store_.slotOfUid(upload.uid)], std::move(form)});
    }
    offThread(
        [sources = std::move(sources), now = epochSeconds(now())] {
            std::vector<QByteArray> forms;
            for (const Source& source : sources)
                forms.push_back(QByteArray::fromStdString(
                    ical::calendarOfTask(source.task, source.kept ? &*source.kept : nullptr, now)));
            return forms;
        },
        [this](const std::vector<QByteArray>& forms) {
            if (!finished_)
                recordAndSend(forms);
        });
}

void SyncEngine::recordAndSend(const std::vector<QByteArray>& forms)
{
    for (std::size_t i = 0; i < forms.size(); ++i) {
        Upload& upload = toSend_.uploads[i];
        upload.calendar = forms[i];
        state_.sent.append({QString::fromStdString(upload.uid), upload.href, upload.calendar});
    }
    for (const Removal& removal : toSend_.removals)
        state_.sent.append({QString::fromStdString(removal.uid), removal.href, {}});
    recordState([this] {
        nextUpload_ = 0;
        nextRemoval_ = 0;
        total_ += static_cast<int>(toSend_.uploads.size() + toSend_.removals.size());
        wroteSinceListing_ = !toSend_.uploads.empty() || !toSend_.removals.empty();
        sendMore();
    });
}

void SyncEngine::sendMore()
{
    while (!sendFailure_ && running_.size() < maxSending &&
           (nextUpload_ < toSend_.uploads.size() || nextRemoval_ < toSend_.removals.size())) {
        if (nextUpload_ < toSend_.uploads.size())
            sendUpload(toSend_.uploads[nextUpload_++]);
        else
            sendRemoval(toSend_.removals[nextRemoval_++]);
    }
    if (!running_.isEmpty())
        return;
    if (sendFailure_)
        return finishWith(sendFailure_->first, sendFailure_->second);
    endPass();
}

void SyncEngine::sendUpload(const Upload& upload)
{
    auto* job = new PutJob(session_, upload.href, upload.calendar, upload.etag);
    launch(job, [this, job, upload] {
        afterSending(*job, upload.href, [&] {
            const SyncedItem sent{QString::fromStdString(upload.uid), upload.href, job->etag(), upload.calendar};
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
    const DavJob::Outcome outcome = job.outcome();
    if (outcome == DavJob::Outcome::Succeeded || outcome == DavJob::Outcome::NotFound) {
        onSuccess();
        state_.sent.removeIf([&](const SentWrite& sent) { return sent.href == href; });
    } else if (outcome == DavJob::Outcome::PreconditionFailed) {
        // The network may have sent the request twice and the first been applied: the write stays
        // listed as sent till the refetch settles it.
        refetch_.append(href);
    } else {
        // The requests in flight may still be answered: the run ends with their answers kept.
        if (!sendFailure_)
            sendFailure_ = takeFailure(job);
        return sendMore();
    }
    emit progress(++done_, total_);
    sendMore();
}

void SyncEngine::endPass()
{
    // The token stored so far predates this pass's own writes, and a server may leave out of a later
    // answer an item written and removed after it: a pass that wrote asks again, seeing its own
    // writes by their ETags, and keeps the token of that answer.
    const bool wrote = !toSend_.uploads.empty() || !toSend_.removals.empty();
    // The next pass goes out without writing the state first: every write of this pass was recorded
    // before it was sent, and any end of the run records the answers.
    if ((!refetch_.isEmpty() && pass_ == 1) || (refetch_.isEmpty() && wrote && pass_ < maxPasses))
        return runPass();
    recordState([this] { finishWith(refetch_.isEmpty() ? Outcome::Synced : Outcome::ChangedMeanwhile); });
}

void SyncEngine::recordState(std::function<void()> next)
{
    const std::vector<std::pair<std::string, std::string>> forms = adoptSyncedForms();
    if (state_ == recorded_ && forms.empty())
        return next();
    writingState_ = true;
    stateWriting_ =
        offThread([files = stateFiles_, state = state_, forms] { return keepFormsThenSave(files, state, forms); },
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
    if (job.outcome() == DavJob::Outcome::Succeeded)
        return false;
    const auto [outcome, detail] = takeFailure(job);
    finishWith(outcome, detail);
    return true;
}

std::pair<Outcome, QString> SyncEngine::takeFailure(const DavJob& job)
{
    switch (job.outcome()) {
    case DavJob::Outcome::ServerBusy:
        if (job.retryAfter().count() > 0)
            result_.retryAt = QDateTime::currentDateTime().addSecs(job.retryAfter().count());
        [[fallthrough]];
    case DavJob::Outcome::NetworkFailure:
        return {Outcome::Offline, job.detail()};
    case DavJob::Outcome::PasswordRefused:
        return {Outcome::PasswordRefused, job.detail()};
    case DavJob::Outcome::Cancelled:
        return {Outcome::Cancelled, {}};
    case DavJob::Outcome::NotFound:
        return {Outcome::ListGone, job.detail()};
    case DavJob::Outcome::TlsFailure:
        return {Outcome::BadCertificate, job.detail()};
    default:
        return {Outcome::ServerFailed, job.detail()};
    }
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
    if (merged_ && wroteSinceListing_)
        state_.syncToken.clear();
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

std::vector<std::pair<std::string, std::string>> SyncEngine::adoptSyncedForms()
{
    std::vector<std::pair<std::string, std::string>> adopted;
    for (const SyncedItem& item : state_.items) {
        std::string uid = item.uid.toStdString();
        const std::string* kept = keptForms_.find(uid);
        if (item.lastSynced.isEmpty() || (kept && *kept == item.lastSynced.toStdString()))
            continue;
        keptForms_.put(uid, item.lastSynced.toStdString());
        adopted.emplace_back(std::move(uid), item.lastSynced.toStdString());
    }
    return adopted;
}
