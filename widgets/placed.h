#pragma once

#include "widgets/twips.h"

#include <QWidget>

// A child widget whose position and size are held in twips. The figures are kept as computed, so a
// value read back for the next computation has not been rounded to whole pixels; Qt gets pixels.
// A negative width or height is refused and the old one kept, as a window system refuses it.
template <typename Widget> class Placed
{
public:
    Placed() = default;
    Placed(Widget* widget, int left, int top, int width, int height)
        : widget_(widget), left_(left), top_(top), width_(width), height_(height)
    {
        apply();
    }

    Widget* operator->() const { return widget_; }
    Widget* get() const { return widget_; }

    int left() const { return left_; }
    int top() const { return top_; }
    int width() const { return width_; }
    int height() const { return height_; }
    // The figures as computed, before Qt rounds them to pixels.
    QRect twips() const { return {left_, top_, width_, height_}; }

    void setLeft(int twips)
    {
        left_ = twips;
        apply();
    }
    void setTop(int twips)
    {
        top_ = twips;
        apply();
    }
    bool setWidth(int twips)
    {
        if (twips < 0)
            return false;
        width_ = twips;
        apply();
        return true;
    }
    bool setHeight(int twips)
    {
        if (twips < 0)
            return false;
        height_ = twips;
        apply();
        return true;
    }

private:
    void apply() { widget_->setGeometry(twipsRect(left_, top_, width_, height_)); }

    Widget* widget_ = nullptr;
    int left_ = 0;
    int top_ = 0;
    int width_ = 0;
    int height_ = 0;
};
