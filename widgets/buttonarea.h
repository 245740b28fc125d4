#pragma once

#include <QString>

#include <functional>

class QWidget;

// Makes a plain widget that takes the clicks for a button of its own drawing (a frame over an icon
// and a caption) a push button for the keyboard and for assistive technology: named `name`,
// reached with Tab, and pressed with Space, Enter or a screen reader's press action, each of which
// calls `press`. Mouse clicks stay the owner's business.
void actAsButton(QWidget& area, const QString& name, std::function<void()> press);
