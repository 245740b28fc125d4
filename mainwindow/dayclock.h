#pragma once

#include "store/calendar.h"

#include <QObject>

class QLabel;
class QTimer;

// The day the window shows: the status bar's date panel, and one timer armed for the next moment at
// which the date or a row's colour can change.
class DayClock : public QObject
{
    Q_OBJECT

public:
    // Shows today in `datePanel`, and from then on whichever day it is.
    DayClock(QLabel& datePanel, QObject* parent);

signals:
    // The day has turned; the panel shows the new one already.
    void dayTurned();

private:
    void showToday();
    void followClock();
    void scheduleMidnight();

    QLabel& datePanel_;
    QTimer* midnight_;
    DayNumber shownDay_ = 0; // the day the panel shows and the rows are coloured for
};
