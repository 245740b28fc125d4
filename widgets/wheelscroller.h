#pragma once

#include <QObject>

#include <initializer_list>

class QScrollBar;
class QWheelEvent;

// Scrolls a scroll bar with the wheel over the widgets it is installed on, whole rows to a notch
// (as many as the desktop's wheelScrollLines says). Touchpads and high-resolution wheels send
// fractions of a notch, or pixels; the fractions are added up, so they scroll smoothly and a full
// turn still comes to whole rows.
class WheelScroller : public QObject
{
    Q_OBJECT

public:
    // One step of `bar` moves the rows `twipsPerStep`; a row is `twipsPerRow` high.
    WheelScroller(QScrollBar* bar, int twipsPerStep, int twipsPerRow, std::initializer_list<QWidget*> over);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void scroll(const QWheelEvent& wheel);

    QScrollBar* bar_;
    int twipsPerStep_;
    int twipsPerRow_;
    long long pending_ = 0; // in 120ths of a twip (a notch is 120): less than one step
};
