#pragma once

#include <QApplication>
#include <QDialog>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>

// Counts the accepts of the dialogs it watches: the caller redraws its list after each one.
struct AcceptCounter
{
    void watch(QDialog& dialog)
    {
        QObject::connect(&dialog, &QDialog::accepted, &dialog, [this] { ++count; });
    }
    int count = 0;
};

// Answers the next modal window of type Box from inside its own event loop, once it is open.
// Gives up after a few seconds so that a box that never opens fails the test instead of hanging it.
template <typename Box> void answerWhenOpen(std::function<void(Box&)> answer)
{
    auto* poll = new QTimer(qApp);
    auto triesLeft = std::make_shared<int>(500);
    QObject::connect(poll, &QTimer::timeout, qApp, [poll, triesLeft, answer] {
        Box* box = qobject_cast<Box*>(QApplication::activeModalWidget());
        if (!box && --*triesLeft > 0)
            return;
        poll->stop();
        poll->deleteLater();
        if (box)
            answer(*box);
    });
    poll->start(10);
}

template <typename Control> Control& control(const QObject& window, const char* name)
{
    auto* found = window.findChild<Control*>(QString::fromLatin1(name));
    if (!found)
        qFatal("no control %s", name);
    return *found;
}

// Types text key by key; QTest::keyClicks alone takes only ASCII.
inline void typeText(QWidget& widget, const QString& text)
{
    for (const QChar ch : text) {
        if (ch.unicode() < 0x80)
            QTest::keyClick(&widget, ch.toLatin1());
        else
            QTest::sendKeyEvent(QTest::Click, &widget, Qt::Key_unknown, QString(ch), Qt::NoModifier);
    }
}

// Replaces a box's text as the user would: select everything, erase it, type the new text.
template <typename Box> void retype(Box& box, const QString& text)
{
    box.selectAll();
    QTest::keyClick(&box, Qt::Key_Backspace);
    typeText(box, text);
}

// The three ways out of a dialog that all mean Cancel: its button, the Esc key, the close box.
inline void addCancelWays()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("Cancel button") << QStringLiteral("button");
    QTest::newRow("Esc key") << QStringLiteral("escape");
    QTest::newRow("close box") << QStringLiteral("close box");
}

inline void leaveDialog(const QString& how, QDialog& dialog, QPushButton& cancel, QWidget& focused)
{
    if (how == u"button")
        QTest::mouseClick(&cancel, Qt::LeftButton);
    else if (how == u"escape")
        QTest::keyClick(&focused, Qt::Key_Escape);
    else
        dialog.close();
}
