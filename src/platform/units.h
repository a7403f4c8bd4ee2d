#pragma once
// Window geometry is stored in twips; Qt works in 96-dpi logical pixels, 15 twips each.

#include <QRect>
#include <cmath>

namespace units {

constexpr int kTwipsPerPixel = 15;

constexpr int pixelsToTwips(int pixels) {
    return pixels * kTwipsPerPixel;
}

// Rounds to the nearest pixel, halves away from zero, so that -7 and 7 twips map alike.
constexpr int twipsToPixels(int twips) {
    const int half = kTwipsPerPixel / 2;
    return twips >= 0 ? (twips + half) / kTwipsPerPixel : -((-twips + half) / kTwipsPerPixel);
}

// A design place in twips (left, top, width, height) in pixels.
inline QRect twipsRect(int left, int top, int width, int height) {
    return {twipsToPixels(left), twipsToPixels(top), twipsToPixels(width), twipsToPixels(height)};
}

}  // namespace units
