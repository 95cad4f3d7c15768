#pragma once

#include <QtMath>

// Layout figures are kept in twips; widgets are placed in device-independent pixels at 96 dpi.
constexpr double TwipsPerPixel = 15.0;

inline int TwipsToPixels(double twips)
{
    return qRound(twips / TwipsPerPixel);
}

inline double PixelsToTwips(double pixels)
{
    return pixels * TwipsPerPixel;
}
