#include "mainwindow/dayclock.h"

#include "store/ruleeval.h"

#include <QDate>
#include <QGuiApplication>
#include <QLabel>
#include <QLocale>
#include <QTimer>

#include <algorithm>
#include <limits>

using namespace Qt::StringLiterals;

DayClock::DayClock(QLabel& datePanel, QObject* parent)
    : QObject(parent), datePanel_(datePanel), midnight_(new QTimer(this))
{
    datePanel_.setObjectName(u"datePanel"_s);
    midnight_->setObjectName(u"midnight"_s);
    midnight_->setSingleShot(true);
    // A coarse timer may fire up to 5 % early: over a day that is more than an hour.
    midnight_->setTimerType(Qt::PreciseTimer);
    connect(midnight_, &QTimer::timeout, this, &DayClock::followClock);
    // A timer does not count the time the machine sleeps: coming back to the program catches up.
    connect(qApp, &QGuiApplication::applicationStateChanged, this, &DayClock::followClock);
    showToday();
    scheduleMidnight();
}

void DayClock::showToday()
{
    shownDay_ = today();
    const CivilDate date = civilDate(shownDay_);
    datePanel_.setText(
        QLocale().toString(QDate(static_cast<int>(date.year), date.month, date.day), QLocale::ShortFormat));
}

void DayClock::followClock()
{
    if (today() != shownDay_) {
        showToday();
        emit dayTurned();
    }
    scheduleMidnight();
}

void DayClock::scheduleMidnight()
{
    // Should the timer fire before the day has turned, followClock only arms it again.
    const std::int64_t wait = millisecondsUntil(nextWalkChange(now()));
    midnight_->start(static_cast<int>(std::clamp<std::int64_t>(wait, 1, std::numeric_limits<int>::max())));
}
