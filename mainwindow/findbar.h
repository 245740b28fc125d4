#pragma once

#include "store/taskquery.h"

#include <QFrame>

#include <vector>

class QLabel;
class QLineEdit;
class QToolButton;

// The find bar over the bottom of the list pane: a field whose words narrow the list as they are
// typed, how many tasks the list shows, and a close button. It only decides which tasks show; the
// window draws them.
class FindBar : public QFrame
{
    Q_OBJECT

public:
    explicit FindBar(QWidget* parent);

    // Shows the bar, the field focused and its text selected.
    void open();
    bool isOpen() const { return !isHidden(); }
    QLineEdit* field() const { return field_; }

    // Whether the list shows `task`: every task while no word is typed.
    bool shows(const TaskRecord& task) const;
    bool filtering() const { return !query_.empty(); }
    // A task the user has just saved stays in the list until the next keystroke in the field, so it
    // does not vanish under their hands when it no longer matches.
    void keepShowing(const TaskRecord& task);
    // The list shows `shown` of the view's `total` tasks: said on the bar and to screen readers.
    void showCount(int shown, int total);

signals:
    void queryChanged();
    // Closed with Esc or the close button: every task shows again.
    void closed();
    // Enter or Down in the field: the list takes the keys.
    void intoList();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void typed(const QString& text);
    void closeBar();
    void addIcons();

    QLineEdit* field_ = nullptr;
    QLabel* count_ = nullptr;
    QToolButton* closeButton_ = nullptr;
    TaskQuery query_;
    std::vector<TaskRecord> kept_;
};
