#pragma once

#include <functional>

class QWidget;

// Runs `work` once, after `window` first reached the screen, so that the first paint waits for
// none of it. A window that is not shown when the event loop comes to it does not wait, nor does
// one that is not painted soon (shown minimised).
void afterFirstPaint(QWidget& window, std::function<void()> work);
