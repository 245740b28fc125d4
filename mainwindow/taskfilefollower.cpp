#include "mainwindow/taskfilefollower.h"

#include "widgets/dialogframe.h"

#include <QApplication>

#include <chrono>
#include <filesystem>

using namespace std::chrono_literals;

namespace {

// Long enough to gather an editor's or a sync tool's burst of writes, short enough to show the
// change within a second.
constexpr auto settleTime = 200ms;
constexpr auto answerRetry = 250ms;

} // namespace

TaskFileFollower::TaskFileFollower(Module1& store, QObject* parent) : QObject(parent), store_(store)
{
    setObjectName(QStringLiteral("taskFileFollower"));
    settle_.setSingleShot(true);
    const auto changed = [this] {
        watch();
        settle_.start(settleTime);
    };
    connect(&watcher_, &QFileSystemWatcher::directoryChanged, this, changed);
    connect(&watcher_, &QFileSystemWatcher::fileChanged, this, changed);
    connect(&settle_, &QTimer::timeout, this, &TaskFileFollower::check);
    watch();
}

void TaskFileFollower::watch()
{
    std::error_code ec;
    const std::filesystem::path file = std::filesystem::absolute(store_.taskFile(), ec);
    if (ec)
        return;
    const QString folder = QString::fromStdString(file.parent_path().string());
    const QString path = QString::fromStdString(file.string());
    if (!watcher_.directories().contains(folder))
        watcher_.addPath(folder);
    if (!watcher_.files().contains(path) && std::filesystem::exists(file, ec))
        watcher_.addPath(path);
}

void TaskFileFollower::check()
{
    // An open menu acts on the row it was opened on; what a dialog waiting for an answer leads to
    // meets the change then.
    if (QApplication::activePopupWidget() || answerAwaited()) {
        settle_.start(answerRetry);
        return;
    }
    watch();
    if (store_.changedOnDisk())
        emit changedElsewhere();
}
