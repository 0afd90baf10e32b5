#pragma once
// Window geometry is designed in twips (1440 per inch); 1440 twips are 96
// device-independent pixels at 100 % scale.
#include <QRect>
#include <cmath>

namespace platform {

constexpr int TwipsPerPixel = 15;

constexpr int TwipsToPx(int twips) { return (twips >= 0 ? twips + 7 : twips - 7) / TwipsPerPixel; }
constexpr int PxToTwips(int px) { return px * TwipsPerPixel; }
inline QRect TwipsRect(int left, int top, int width, int height) {
    return QRect(TwipsToPx(left), TwipsToPx(top), TwipsToPx(width), TwipsToPx(height));
}

}  // namespace platform
