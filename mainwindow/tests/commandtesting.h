#pragma once

#include "editor/frmtask.h"
#include "mainwindow/tests/mainwindowtest.h"
#include "os/tests/filetesting.h"
#include "widgets/tests/dialogtesting.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <deque>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>

// What a modal window showed when it opened.
struct SeenModal
{
    QString kind; // "box", "editor", or the class name of anything else
    QString title;
    QString text; // the message, or the title box of the task editor
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
};

// Answers the modal windows that open while a test drives the main window, in the order given,
// and records what each one showed. A modal window nobody expected, or one that an answer left
// open, is closed after a while so that the test fails instead of hanging.
class ModalScript : public QObject
{
public:
    using Answer = std::function<void(QWidget&)>;

    ModalScript()
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
        SeenModal seen{QString::fromLatin1(modal.metaObject()->className()), modal.windowTitle(), {}, {}, {}};
        if (auto* box = qobject_cast<QMessageBox*>(&modal)) {
            seen.kind = QStringLiteral("box");
            seen.text = box->text();
            seen.icon = box->icon();
            seen.buttons = box->standardButtons();
        } else if (auto* editor = qobject_cast<frmTask*>(&modal)) {
            seen.kind = QStringLiteral("editor");
            seen.text = control<QLineEdit>(*editor, "txtTitle").text();
        }
        return seen;
    }

    void poll()
    {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal) {
            current_ = nullptr;
            return;
        }
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
            answer(*modal);
            // The task editor is one window for the whole run: hidden, it may open again.
            if (current_ == modal && !modal->isVisible())
                current_ = nullptr;
        });
    }

    QTimer poll_;
    std::deque<Answer> answers_;
    QList<SeenModal> seen_;
    QPointer<QWidget> current_;
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

// Presses an editor's button by its caption, such as "&Ok" or "&Cancel".
inline ModalScript::Answer pressButton(const QString& caption)
{
    return [caption](QWidget& dialog) { QTest::mouseClick(&dialogButton(dialog, caption), Qt::LeftButton); };
}

struct NewTaskInput
{
    QString title;
    QString forWhom;
    QString day;
    int monthDownPresses = 0; // from no month shown, Down picks January, then February...
    QString year;
};

// Types a task into the editor's boxes, picks the month from the list, and presses "&Ok".
inline ModalScript::Answer typeTaskAndOk(const NewTaskInput& input)
{
    return [input](QWidget& editor) {
        QTest::keyClicks(&control<QLineEdit>(editor, "txtTitle"), input.title);
        QTest::keyClicks(&control<QLineEdit>(editor, "txtFor"), input.forWhom);
        retype(control<QLineEdit>(editor, "txtDay"), input.day);
        auto& month = control<QComboBox>(editor, "lstMonth");
        for (int i = 0; i < input.monthDownPresses; ++i)
            QTest::keyClick(&month, Qt::Key_Down);
        retype(control<QLineEdit>(editor, "txtYear"), input.year);
        QTest::mouseClick(&dialogButton(editor, QStringLiteral("&Ok")), Qt::LeftButton);
    };
}

inline QFrame& hotArea(frmMain& w, int index)
{
    return control<QFrame>(w, qPrintable(QStringLiteral("Image1_%1").arg(index)));
}

inline QLabel& paneCaption(frmMain& w, int index)
{
    return control<QLabel>(w, qPrintable(QStringLiteral("Label1_%1").arg(index)));
}

// The one bold caption of the pane, or -1 when there is none or more than one.
inline int boldCaption(frmMain& w)
{
    int bold = -1;
    for (int i = 0; i < 4; ++i) {
        if (paneCaption(w, i).font().bold()) {
            if (bold >= 0)
                return -1;
            bold = i;
        }
    }
    return bold;
}

inline int framedButtons(frmMain& w)
{
    int framed = 0;
    for (int i = 0; i < 4; ++i)
        framed += hotArea(w, i).frameShape() != QFrame::NoFrame;
    return framed;
}

// A left click on a button of the navigation pane; a button reacts on the release.
inline void clickPane(frmMain& w, int index)
{
    QTest::mouseClick(&hotArea(w, index), Qt::LeftButton);
}

inline QAction& menuItem(const frmMain& w, const char* name)
{
    return control<QAction>(w, name);
}

inline std::string fileText(const std::string& path = "tasks.txt")
{
    return testsupport::readBytes(path);
}

// The lines a task's block has in the file, from its title to "act=addtask"; empty when absent.
inline std::string taskBlock(const std::string& file, const std::string& title)
{
    const std::size_t start = file.find("ttl=" + title + "\r\n");
    if (start == std::string::npos)
        return {};
    const std::string end = "act=addtask\r\n";
    const std::size_t stop = file.find(end, start);
    return stop == std::string::npos ? std::string() : file.substr(start, stop + end.size() - start);
}

inline void showActive(frmMain& w)
{
    w.show();
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
}

// The row that shows the task of `title`, 0 when none does.
inline int rowOf(const frmMain& w, const QString& title)
{
    return static_cast<int>(rowCaptions(lblTitle(w)).indexOf(title)) + 1;
}

// Rows drawn as selected; a sound list has at most one.
inline QList<int> highlightedRows(const frmMain& w)
{
    QList<int> rows;
    for (int row = 1; row < lblFor(w).count(); ++row) {
        if (lblFor(w)[row].opaque)
            rows << row;
    }
    return rows;
}

inline QString selectedTitle(const frmMain& w, const Module1& store)
{
    if (w.selectedIndex() < 1)
        return {};
    return QString::fromStdString(store.taskList[static_cast<std::size_t>(w.selectedIndex() - 1)].title);
}
