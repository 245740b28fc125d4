#pragma once

#include <QColor>

#include <algorithm>
#include <cmath>

// WCAG 2 relative luminance of a colour, 0 for black to 1 for white.
inline double relativeLuminance(const QColor& color)
{
    const auto linear = [](double channel) {
        return channel <= 0.04045 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
    };
    const QColor rgb = color.toRgb();
    return 0.2126 * linear(rgb.redF()) + 0.7152 * linear(rgb.greenF()) + 0.0722 * linear(rgb.blueF());
}

// WCAG 2 contrast ratio, from 1 (the same) to 21 (black on white).
inline double contrastRatio(const QColor& a, const QColor& b)
{
    const double la = relativeLuminance(a);
    const double lb = relativeLuminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// The colour itself when it reads on `background`; else the least mix of it with white (on a dark
// background) or black (on a light one) that reaches `minimum`. The user's colour is kept as it
// was chosen; only what is drawn changes.
inline QColor readableOn(const QColor& color, const QColor& background, double minimum = 3.0)
{
    if (contrastRatio(color, background) >= minimum)
        return color;
    const QColor toward = relativeLuminance(background) < 0.18 ? QColor(Qt::white) : QColor(Qt::black);
    const auto mix = [&](double share) {
        const auto channel = [&](double from, double to) { return from + (to - from) * share; };
        return QColor::fromRgbF(static_cast<float>(channel(color.redF(), toward.redF())),
                                static_cast<float>(channel(color.greenF(), toward.greenF())),
                                static_cast<float>(channel(color.blueF(), toward.blueF())));
    };
    double low = 0.0;
    double high = 1.0;
    for (int step = 0; step < 16; ++step) {
        const double middle = (low + high) / 2;
        (contrastRatio(mix(middle), background) >= minimum ? high : low) = middle;
    }
    // Rounded to 8 bits, the mix may fall a hair short: one step further is still "just enough".
    QColor drawn = mix(high).toRgb();
    for (double share = high; contrastRatio(drawn, background) < minimum && share < 1.0;) {
        share = std::min(1.0, share + 1.0 / 255);
        drawn = mix(share).toRgb();
    }
    return drawn;
}
