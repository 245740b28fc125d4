#pragma once

#include <QObject>

// A message box is only as wide as its text and buttons, and the window manager cuts a title wider
// than that ("Delete this entry?!" over "Are you sure?"): every box is widened to show its whole title
// beside the title bar's buttons.
class MessageBoxTitles : public QObject
{
public:
    // Once for the application; later calls do nothing.
    static void install();
    // The width a box needs for its title, in pixels.
    static int widthFor(const QString& title);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    using QObject::QObject;
};
