#pragma once

#include <QRect>

// Positions and sizes are kept in twips, as the windows were designed; Qt is given pixels.
// 15 twips make one pixel at 96 dpi; Qt's own scaling takes care of denser screens.
inline constexpr int twipsPerPixel = 15;

constexpr int px(int twips)
{
    return twips / twipsPerPixel;
}

constexpr int twips(int pixels)
{
    return pixels * twipsPerPixel;
}

// A rectangle given in twips, as Qt's pixels.
inline QRect twipsRect(int left, int top, int width, int height)
{
    return {px(left), px(top), px(width), px(height)};
}
