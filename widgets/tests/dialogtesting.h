#pragma once

#include "store/module1.h"

#include <QAccessible>
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <deque>
#include <filesystem>
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

// What a modal window showed when it opened.
struct SeenModal
{
    QString kind; // "box", or the class name of anything else
    QString title;
    QString text; // the message, or what the first text box of any other window held
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    int width = 0; // as it opened: what of a title shows
};

// Answers the modal windows that open while a test runs, in the order given, and records what each
// one showed. A modal dialog under test, open before the script, is left alone. A modal window nobody expected, or one
// that an answer left open, is closed after a while so that the test fails instead of hanging.
class ModalScript : public QObject
{
public:
    using Answer = std::function<void(QWidget&)>;

    ModalScript() : underTest_(QApplication::activeModalWidget())
    {
        connect(&poll_, &QTimer::timeout, this, &ModalScript::poll);
        poll_.start(10);
    }

    ModalScript& then(Answer answer)
    {
        answers_.push_back(std::move(answer));
        return *this;
    }

    const QList<SeenModal>& seen() const { return seen_; }
    // Empty when every answer was used and no modal window was left over.
    QString problems() const
    {
        QString text;
        if (!answers_.empty())
            text += QStringLiteral("%1 answer(s) unused; ").arg(answers_.size());
        if (unexpected_ > 0)
            text += QStringLiteral("%1 unexpected modal window(s); ").arg(unexpected_);
        if (stuck_ > 0)
            text += QStringLiteral("%1 modal window(s) left open by an answer").arg(stuck_);
        return text;
    }

private:
    static void closeModal(QWidget* modal)
    {
        if (auto* dialog = qobject_cast<QDialog*>(modal))
            dialog->reject();
        else
            modal->close();
    }

    static SeenModal describe(QWidget& modal)
    {
        SeenModal seen{
            QString::fromLatin1(modal.metaObject()->className()), modal.windowTitle(), {}, {}, {}, modal.width()};
        if (auto* box = qobject_cast<QMessageBox*>(&modal)) {
            seen.kind = QStringLiteral("box");
            seen.text = box->text();
            seen.icon = box->icon();
            seen.buttons = box->standardButtons();
        } else if (const auto* first = modal.findChild<QLineEdit*>()) {
            seen.text = first->text();
        }
        return seen;
    }

    void poll()
    {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || modal == underTest_) {
            current_ = nullptr;
            return;
        }
        // A window whose answer opened a box comes back on top when the box closes: it is still
        // being answered, not a new window.
        if (answering_.contains(modal))
            return;
        if (modal == current_) {
            if (sinceAnswered_.elapsed() > 3000) {
                ++stuck_;
                current_ = nullptr;
                closeModal(modal);
            }
            return;
        }
        current_ = modal;
        sinceAnswered_.start();
        seen_.append(describe(*modal));
        if (answers_.empty()) {
            ++unexpected_;
            QTimer::singleShot(0, modal, [modal] { closeModal(modal); });
            return;
        }
        // Answered from a call of its own: an answer that opens another modal window waits inside
        // it, and this poll must keep running meanwhile.
        Answer answer = std::move(answers_.front());
        answers_.pop_front();
        QTimer::singleShot(0, modal, [this, modal, answer] {
            answering_.append(modal);
            answer(*modal);
            answering_.removeAll(modal);
            // A dialog that lives for the whole run may open again once hidden.
            if (current_ == modal && !modal->isVisible())
                current_ = nullptr;
        });
    }

    QPointer<QWidget> underTest_;
    QTimer poll_;
    std::deque<Answer> answers_;
    QList<SeenModal> seen_;
    QPointer<QWidget> current_;
    QList<QWidget*> answering_;
    QElapsedTimer sinceAnswered_;
    int unexpected_ = 0;
    int stuck_ = 0;
};

// Clicks one of a message box's own buttons.
inline ModalScript::Answer clickBoxButton(QMessageBox::StandardButton which)
{
    return [which](QWidget& modal) {
        auto* box = qobject_cast<QMessageBox*>(&modal);
        if (box && box->button(which))
            QTest::mouseClick(box->button(which), Qt::LeftButton);
    };
}

inline QPushButton& dialogButton(QWidget& dialog, const QString& caption)
{
    for (QPushButton* button : dialog.findChildren<QPushButton*>()) {
        if (button->text() == caption)
            return *button;
    }
    qFatal("the dialog has no button %s", qPrintable(caption));
}

// Presses a dialog's button by its caption, such as "&Ok" or "&Cancel".
inline ModalScript::Answer pressButton(const QString& caption)
{
    return [caption](QWidget& dialog) { QTest::mouseClick(&dialogButton(dialog, caption), Qt::LeftButton); };
}

// A dialog of the store's tables over a task file in a scratch folder; all of it made anew for
// every test function.
template <typename Dialog> struct DialogOnStore
{
    void setUp()
    {
        folder = std::make_unique<QTemporaryDir>();
        QVERIFY(folder->isValid());
        store = std::make_unique<Module1>(folder->filePath(QStringLiteral("tasks.txt")).toStdString());
        accepted.count = 0;
        dialog = std::make_unique<Dialog>(*store, nullptr);
        accepted.watch(*dialog);
    }

    void tearDown()
    {
        dialog.reset();
        store.reset();
        folder.reset();
        QVERIFY(QApplication::topLevelWidgets().isEmpty());
    }

    // What the file holds now, read by a store of its own.
    Module1 fileContent() const
    {
        Module1 reread(store->taskFile());
        if (!reread.loadTasks().ok)
            qFatal("cannot read %s back", store->taskFile().c_str());
        return reread;
    }

    // Presses Ok after the task file's folder has gone: a box names the file and the reason, and
    // the dialog stays open without accepting, its changes still in the tables.
    void okFailsWithTheFolderGone(const char* okButton)
    {
        const QString gone = folder->path();
        std::filesystem::remove_all(gone.toStdString());
        ModalScript script;
        script.then([](QWidget& box) { qobject_cast<QDialog*>(&box)->accept(); });
        QTest::mouseClick(&control<QPushButton>(*dialog, okButton), Qt::LeftButton);

        QVERIFY2(script.problems().isEmpty(), qPrintable(script.problems()));
        const QString shown = script.seen().value(0).text;
        QVERIFY2(shown.startsWith(QStringLiteral("Cannot write file")) && shown.contains(gone), qPrintable(shown));
        QVERIFY(dialog->isVisible());
        QCOMPARE(accepted.count, 0);
    }

    std::unique_ptr<QTemporaryDir> folder;
    std::unique_ptr<Module1> store;
    AcceptCounter accepted;
    std::unique_ptr<Dialog> dialog;
};

// What a screen reader reads of a control: its name, and the name of the caption labelling it.
inline QString accessibleName(QWidget& control)
{
    return QAccessible::queryAccessibleInterface(&control)->text(QAccessible::Name);
}

inline QString accessibleLabel(QWidget& control)
{
    const auto labels = QAccessible::queryAccessibleInterface(&control)->relations(QAccessible::Label);
    return labels.isEmpty() ? QString() : labels.first().first->text(QAccessible::Name);
}

// Rows of names a dialog's controls must have: object name, accessible name, caption labelling it.
inline void addNameColumns()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("label");
}

inline void compareAccessibleNames(QWidget& dialog)
{
    QFETCH(QString, control);
    QFETCH(QString, name);
    QFETCH(QString, label);
    QWidget* found = dialog.findChild<QWidget*>(control);
    QVERIFY(found);
    QCOMPARE(accessibleName(*found), name);
    QCOMPARE(accessibleLabel(*found), label);
}
