#pragma once

#include <QColor>

#include <cstdint>

// Colours are stored as 0x00BBGGRR, red in the low byte.
inline QColor colorFromBgr(std::int32_t bgr)
{
    const auto value = static_cast<std::uint32_t>(bgr);
    return QColor(static_cast<int>(value & 0xFFu), static_cast<int>((value >> 8) & 0xFFu),
                  static_cast<int>((value >> 16) & 0xFFu));
}

inline std::int32_t bgrFromColor(const QColor& color)
{
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(color.red()) |
                                     static_cast<std::uint32_t>(color.green()) << 8 |
                                     static_cast<std::uint32_t>(color.blue()) << 16);
}
