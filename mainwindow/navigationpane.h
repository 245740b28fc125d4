#pragma once

#include <QWidget>

#include <array>

class QFrame;
class QLabel;

// The navigation pane `pctMenu`: four buttons, each an icon (`Image2`), a caption (`Label1`) and a
// hot area (`Image1`) lying over both, which takes the clicks and shows the hover frame.
class NavigationPane : public QWidget
{
    Q_OBJECT

public:
    static constexpr int buttonCount = 4;
    enum Button { Attention = 0, AllItems = 1, Recycled = 2, NewTask = 3 };

    explicit NavigationPane(QWidget* parent);

    // Border style of `Image1(index)`: 0 none, 1 single line (the hover frame).
    int borderStyle(int index) const;
    void clearBorders();
    bool captionBold(int index) const;
    void setCaptionBold(int index, bool bold);
    // Makes `index` the one bold caption.
    void markCurrent(int index);
    QFrame* hotArea(int index) const { return Image1[static_cast<std::size_t>(index)]; }

signals:
    void image1Clicked(int index);

protected:
    void mouseMoveEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The icons as the icon theme draws them now, kept for the next start.
    void refreshIcons();
    void Image1_MouseMove(int index);
    void setBorderStyle(int index, int style);
    int indexOfHotArea(const QObject* object) const;

    std::array<QFrame*, buttonCount> Image1{};
    std::array<QLabel*, buttonCount> Label1{};
    std::array<QLabel*, buttonCount> Image2{};
};
