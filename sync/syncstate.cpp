#include "sync/syncstate.h"

#include "os/atomicfile.h"
#include "os/privatefile.h"
#include "os/xdgdirs.h"

#include <QCryptographicHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cerrno>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace Qt::StringLiterals;

namespace {

constexpr std::size_t largestStateFile = std::size_t{512} * 1024 * 1024;
constexpr int formatVersion = 1;

fs::path folderFor(const fs::path& taskFile)
{
    std::error_code ec;
    fs::path canonical = fs::weakly_canonical(fs::absolute(taskFile, ec), ec);
    if (ec)
        canonical = fs::absolute(taskFile, ec);
    const QByteArray key =
        QCryptographicHash::hash(QByteArray::fromStdString(canonical.string()), QCryptographicHash::Sha256).toHex();
    return stateHome() / "taskwyn" / "sync" / key.left(32).toStdString();
}

QJsonObject itemToJson(const SyncedItem& item)
{
    return {{"uid"_L1, item.uid},
            {"href"_L1, item.href.toString(QUrl::FullyEncoded)},
            {"etag"_L1, QString::fromUtf8(item.etag)},
            {"ical"_L1, QString::fromUtf8(item.lastSynced)}};
}

SyncedItem itemFromJson(const QJsonObject& json)
{
    return {json["uid"_L1].toString(), QUrl::fromEncoded(json["href"_L1].toString().toUtf8()),
            json["etag"_L1].toString().toUtf8(), json["ical"_L1].toString().toUtf8()};
}

QJsonObject sentToJson(const SentWrite& sent)
{
    return {{"uid"_L1, sent.uid},
            {"href"_L1, sent.href.toString(QUrl::FullyEncoded)},
            {"ical"_L1, QString::fromUtf8(sent.calendar)}};
}

SentWrite sentFromJson(const QJsonObject& json)
{
    return {json["uid"_L1].toString(), QUrl::fromEncoded(json["href"_L1].toString().toUtf8()),
            json["ical"_L1].toString().toUtf8()};
}

std::string serialized(QJsonObject json)
{
    json.insert("version"_L1, formatVersion);
    return QJsonDocument(json).toJson(QJsonDocument::Compact).toStdString();
}

// nullopt content with no failure: the file does not exist, which is an empty state.
struct ReadJson
{
    std::optional<QJsonObject> json;
    std::optional<FileFailure> failure;
    bool damaged = false;
};

ReadJson readJson(const fs::path& file)
{
    FileContent content = readWholeFile(file, largestStateFile);
    if (content.failure || !content.bytes)
        return {std::nullopt, content.failure, false};
    const QJsonDocument document = QJsonDocument::fromJson(QByteArray::fromStdString(*content.bytes));
    if (!document.isObject() || document.object()["version"_L1].toInt() != formatVersion)
        return {std::nullopt, std::nullopt, true};
    return {document.object(), std::nullopt, false};
}

} // namespace

SyncStateFiles::SyncStateFiles(const fs::path& taskFile) : folder_(folderFor(taskFile)) {}

LoadedSyncState SyncStateFiles::load() const
{
    LoadedSyncState loaded;
    for (const char* name : {"items.json", "token.json"})
        removeStaleTemporaries(folder_ / name);
    const ReadJson items = readJson(folder_ / "items.json");
    const ReadJson token = readJson(folder_ / "token.json");
    loaded.failure = items.failure ? items.failure : token.failure;
    loaded.damaged = items.damaged || token.damaged;
    if (loaded.failure || loaded.damaged || !items.json)
        return loaded;
    loaded.state.taskList = QUrl::fromEncoded((*items.json)["taskList"_L1].toString().toUtf8());
    for (const QJsonValue item : (*items.json)["items"_L1].toArray())
        loaded.state.items.append(itemFromJson(item.toObject()));
    for (const QJsonValue sent : (*items.json)["sent"_L1].toArray())
        loaded.state.sent.append(sentFromJson(sent.toObject()));
    // A token of another list would hide this list's changes: list everything instead.
    if (token.json && (*token.json)["taskList"_L1].toString() == (*items.json)["taskList"_L1].toString())
        loaded.state.syncToken = (*token.json)["syncToken"_L1].toString();
    return loaded;
}

std::optional<FileFailure> SyncStateFiles::save(const SyncState& state) const
{
    const QString taskList = state.taskList.toString(QUrl::FullyEncoded);
    QJsonArray items;
    for (const SyncedItem& item : state.items)
        items.append(itemToJson(item));
    QJsonArray sent;
    for (const SentWrite& write : state.sent)
        sent.append(sentToJson(write));
    // The token last: left older than the items, it only makes the next sync ask again for changes
    // the items already hold.
    if (auto failure = writePrivateFile(
            folder_ / "items.json", serialized({{"taskList"_L1, taskList}, {"items"_L1, items}, {"sent"_L1, sent}})))
        return failure;
    return writePrivateFile(folder_ / "token.json",
                            serialized({{"taskList"_L1, taskList}, {"syncToken"_L1, state.syncToken}}));
}

std::optional<FileFailure> SyncStateFiles::remove() const
{
    for (const char* name : {"token.json", "items.json"}) {
        if (::unlink((folder_ / name).c_str()) != 0 && errno != ENOENT)
            return FileFailure{FileAction::WriteInFolder, folder_, FailureReason::system(errno)};
    }
    return std::nullopt;
}
