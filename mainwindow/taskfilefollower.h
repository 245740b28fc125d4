#pragma once

#include "store/module1.h"

#include <QFileSystemWatcher>
#include <QObject>
#include <QTimer>

// Tells when another program has changed the task file while the window is idle. The folder is
// watched as well as the file, since a rename-replace puts a new file in place and a watch on the
// old one ends. A burst of changes is gathered into one check, which compares the content with what
// the store last read or wrote: its own saves never count. While a dialog has the tables in hand the
// check waits until it lets go, so an editor's save meets the change as a conflict instead.
class TaskFileFollower : public QObject
{
    Q_OBJECT

public:
    explicit TaskFileFollower(Module1& store, QObject* parent = nullptr);
    ~TaskFileFollower() override;

signals:
    void changedElsewhere();

private:
    void watch();
    void check();

    Module1& store_;
    int unsavedListener_;
    QFileSystemWatcher watcher_;
    QTimer settle_;
    bool waiting_ = false; // for a dialog to let go of the tables
};
