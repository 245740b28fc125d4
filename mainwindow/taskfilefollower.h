#pragma once

#include "store/module1.h"

#include <QFileSystemWatcher>
#include <QObject>
#include <QTimer>

// Tells when another program has changed the task file while the window is idle. The folder is
// watched as well as the file, since a rename-replace puts a new file in place and a watch on the
// old one ends. A burst of changes is gathered into one check, which compares the content with what
// the store last read or wrote: its own saves never count. While a dialog waits for an answer the
// check waits too, so that the change the dialog leads to meets the other version as a conflict.
class TaskFileFollower : public QObject
{
    Q_OBJECT

public:
    explicit TaskFileFollower(Module1& store, QObject* parent = nullptr);

signals:
    void changedElsewhere();

private:
    void watch();
    void check();

    Module1& store_;
    QFileSystemWatcher watcher_;
    QTimer settle_;
};
