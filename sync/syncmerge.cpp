#include "sync/syncmerge.h"

#include "ical/vtodo.h"
#include "store/duetext.h"
#include "store/uuid.h"
#include "sync/davjobs.h"

#include <algorithm>
#include <set>

namespace {

void copyField(ical::Field field, const TaskRecord& from, TaskRecord& to)
{
    switch (field) {
    case ical::Field::Title:
        to.title = from.title;
        break;
    case ical::Field::For:
        to.forWhom = from.forWhom;
        break;
    case ical::Field::Description:
        to.description = from.description;
        break;
    case ical::Field::Due:
        to.year = from.year;
        to.month = from.month;
        to.day = from.day;
        to.hour = from.hour;
        to.minute = from.minute;
        to.second = from.second;
        break;
    case ical::Field::Recycled:
        to.deleted = from.deleted;
        break;
    }
}

bool contains(const std::vector<ical::Field>& fields, ical::Field field)
{
    return std::find(fields.begin(), fields.end(), field) != fields.end();
}

// A field each side changed, to a different value: neither may overwrite the other.
bool clash(const TaskRecord& base, const TaskRecord& local, const TaskRecord& server)
{
    const std::vector<ical::Field> here = ical::changedFields(base, local);
    const std::vector<ical::Field> there = ical::changedFields(base, server);
    const std::vector<ical::Field> apart = ical::changedFields(local, server);
    return std::any_of(apart.begin(), apart.end(),
                       [&](ical::Field field) { return contains(here, field) && contains(there, field); });
}

bool sameContent(const TaskRecord& a, const TaskRecord& b)
{
    return a.title == b.title && a.forWhom == b.forWhom && a.description == b.description &&
           !contains(ical::changedFields(a, b), ical::Field::Due);
}

} // namespace

ParsedForms parseForms(const SyncState& state, const QList<ServerItem>& fetched)
{
    ParsedForms parsed;
    for (const SyncedItem& item : state.items)
        parsed.lastSynced[item.uid.toStdString()] =
            ical::taskOfCalendar(item.lastSynced.toStdString()).value_or(TaskRecord{});
    parsed.server.reserve(fetched.size());
    for (const ServerItem& item : fetched)
        parsed.server.push_back(ical::taskOfCalendar(item.calendar.toStdString()));
    for (const SentWrite& sent : state.sent) {
        if (std::optional<TaskRecord> task = ical::taskOfCalendar(sent.calendar.toStdString())) {
            task->uid = sent.uid.toStdString();
            parsed.sent.insert(sent.href, *task);
        }
    }
    return parsed;
}

SyncMerge::SyncMerge(Module1& store, SyncState& state, std::map<std::string, TaskRecord, std::less<>> lastSynced,
                     QHash<QUrl, TaskRecord> sent, bool firstSync)
    : store_(store), state_(state), firstSync_(firstSync), lastSynced_(std::move(lastSynced)), sent_(std::move(sent)),
      tasksBefore_(store.tasks().size())
{
    for (std::size_t slot = 0; slot < store_.tasks().size(); ++slot) {
        if (const std::string& uid = store_.tasks()[slot].uid; !uid.empty())
            slots_.emplace(uid, static_cast<std::int16_t>(slot)); // the first of equal uids, as the store finds it
    }
    for (const SyncedItem& item : state_.items) {
        byUid_[item.uid.toStdString()] = item;
        uidOfHref_.insert(item.href, item.uid.toStdString());
    }
}

SyncedItem* SyncMerge::knownAt(const QUrl& href)
{
    const auto uid = uidOfHref_.constFind(href);
    if (uid == uidOfHref_.cend())
        return nullptr;
    const auto item = byUid_.find(*uid);
    return item == byUid_.end() ? nullptr : &item->second;
}

std::optional<std::int16_t> SyncMerge::slotOf(const std::string& uid) const
{
    if (!slotsValid_)
        return store_.slotOfUid(uid);
    const auto found = slots_.find(uid);
    return found == slots_.end() ? std::nullopt : std::optional(found->second);
}

const TaskRecord& SyncMerge::lastSyncedTask(const std::string& uid) const
{
    static const TaskRecord none;
    const auto found = lastSynced_.find(uid);
    return found == lastSynced_.end() ? none : found->second;
}

// Where an upload of ours may have reached the server unanswered, a field the server holds as sent
// is our write, one it holds as before was not touched there, and one that differs from both was
// changed there after our write. A new task has no before: what was sent is its base.
TaskRecord SyncMerge::baseOf(const std::string& uid, const QUrl& href, const TaskRecord& server, bool known) const
{
    const auto sent = sent_.constFind(href);
    if (sent == sent_.cend())
        return lastSyncedTask(uid);
    TaskRecord base = *sent;
    if (!known)
        return base;
    const TaskRecord& before = lastSyncedTask(uid);
    const std::vector<ical::Field> notAsBefore = ical::changedFields(before, server);
    for (const ical::Field field : ical::changedFields(base, server)) {
        if (!contains(notAsBefore, field))
            copyField(field, before, base);
    }
    return base;
}

void SyncMerge::remember(const std::string& uid, const ServerItem& item, const TaskRecord& task)
{
    byUid_[uid] = SyncedItem{QString::fromStdString(uid), item.href, item.etag, item.calendar};
    lastSynced_[uid] = task;
    uidOfHref_.insert(item.href, uid);
}

void SyncMerge::forget(const std::string& uid)
{
    const auto item = byUid_.find(uid);
    if (item == byUid_.end())
        return;
    uidOfHref_.remove(item->second.href);
    byUid_.erase(item);
    lastSynced_.erase(uid);
}

bool SyncMerge::appendHere(const TaskRecord& task)
{
    if (store_.appendTasks({&task, 1}) == 0) {
        ++result_.didNotFit;
        return false;
    }
    result_.storeChanged = true;
    ++result_.received;
    if (!task.uid.empty())
        slots_.emplace(task.uid, static_cast<std::int16_t>(store_.taskCount - 1));
    return true;
}

void SyncMerge::takeServerVersion(const ServerItem& item, std::optional<TaskRecord> server)
{
    if (!server)
        return;
    const SyncedItem* known = knownAt(item.href);
    const auto sent = sent_.constFind(item.href);
    if (!known && sent == sent_.cend()) {
        // A task the state does not know yet: our own upload from a state of old, one that
        // matches a task here on the first sync, or a new one.
        if (slotOf(server->uid) || adoptEqualTask(*server) || appendHere(*server))
            remember(server->uid, item, *server);
        return;
    }
    const std::string uid = known ? known->uid.toStdString() : sent->uid;
    const TaskRecord base = baseOf(uid, item.href, *server, known != nullptr);
    server->uid = uid;
    if (const std::optional<std::int16_t> slot = slotOf(uid))
        mergeInto(*slot, base, *server, item);
    else if (ical::changedFields(base, *server).empty() || appendHere(*server))
        remember(uid, item, *server); // unchanged there: the deletion here goes out; else the change came back in
    else
        heldBack_.insert(QString::fromStdString(uid));
}

bool SyncMerge::adoptEqualTask(const TaskRecord& server)
{
    if (!firstSync_)
        return false;
    const std::span<TaskRecord> tasks = store_.tasks();
    for (TaskRecord& task : tasks.first(std::min(tasksBefore_, tasks.size()))) {
        if (sameContent(task, server) && !byUid_.contains(task.uid)) {
            task.uid = server.uid;
            slotsValid_ = false;
            result_.storeChanged = true;
            return true;
        }
    }
    return false;
}

void SyncMerge::mergeInto(std::int16_t slot, const TaskRecord& base, const TaskRecord& server, const ServerItem& item)
{
    TaskRecord& local = store_.taskList[static_cast<std::size_t>(slot)];
    if (clash(base, local, server)) {
        keepServerCopy(server);
        remember(local.uid, item, server); // the version here goes out over the server's
        return;
    }
    TaskRecord merged = local;
    for (const ical::Field field : ical::changedFields(base, server))
        copyField(field, server, merged);
    if (merged != local) {
        merged.dueKey = dueKey(merged);
        local = merged;
        result_.storeChanged = true;
        ++result_.received;
    }
    remember(local.uid, item, server);
}

void SyncMerge::keepServerCopy(TaskRecord server)
{
    server.uid = newUuid();
    if (appendHere(server))
        ++result_.doubled;
}

void SyncMerge::takeServerRemoval(const QUrl& href)
{
    const SyncedItem* known = knownAt(href);
    const auto sent = sent_.constFind(href);
    if (!known && sent == sent_.cend())
        return;
    // A new task removed there had arrived; for a known one, a change here since the last answer beats
    // the removal, as the server may never have seen it.
    const std::string uid = known ? known->uid.toStdString() : sent->uid;
    const TaskRecord& base = known ? lastSyncedTask(uid) : *sent;
    const std::optional<std::int16_t> slot = slotOf(uid);
    if (slot && ical::changedFields(base, store_.tasks()[*slot]).empty()) {
        result_.removedHere.push_back(store_.tasks()[*slot]);
        store_.removeTask(*slot);
        slotsValid_ = false;
        result_.storeChanged = true;
    }
    // A task changed here stays, and without its state goes out again as a new one.
    forget(uid);
}

void SyncMerge::listLocalChanges()
{
    std::set<std::string, std::less<>> here;
    for (const TaskRecord& task : store_.tasks()) {
        here.insert(task.uid);
        const auto known = byUid_.find(task.uid);
        if (known == byUid_.end())
            result_.uploads.push_back({task.uid, newItemUrl(state_.taskList, QString::fromStdString(task.uid)), {}});
        else if (!heldBack_.contains(known->second.uid) &&
                 !ical::changedFields(lastSyncedTask(known->first), task).empty())
            result_.uploads.push_back({task.uid, known->second.href, known->second.etag});
    }
    for (const auto& [uid, item] : byUid_) {
        if (!here.contains(uid) && !heldBack_.contains(item.uid))
            result_.removals.push_back({uid, item.href, item.etag});
    }
}

MergeResult SyncMerge::finish()
{
    if (store_.giveMissingUids() > 0)
        result_.storeChanged = true;
    listLocalChanges();
    // Settled by the server's versions, except where one could not come in: it is listed again.
    state_.sent.removeIf([this](const SentWrite& sent) { return !heldBack_.contains(sent.uid); });
    state_.items.clear();
    for (const auto& [uid, item] : byUid_)
        state_.items.push_back(item);
    return std::move(result_);
}
