#pragma once

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
