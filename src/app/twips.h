#pragma once

#include "richtext/rtf_units.h"

#include <QPoint>
#include <QRect>
#include <QSize>

#include <cmath>

// Window and control geometry, and distances in memo files, are measured in twips (1/1440 inch).
// At 96 dots per inch fifteen twips make one logical pixel; Qt scales logical pixels on
// high-density screens.
namespace orbeta::twips {

inline constexpr int kPerPixel = rtf::units::kTwipsPerPixel;
inline constexpr double kPointsPerPixel = rtf::units::kPointsPerPixel;

struct Point {
    double left;
    double top;
};

struct Size {
    int width;
    int height;
};

struct Rect {
    int left;
    int top;
    int width;
    int height;
};

// Logical pixels of a distance in twips, as a fraction where the distance is not whole pixels.
inline double toExactPixels(double value) {
    return value / kPerPixel;
}

// The one conversion from twips to whole logical pixels; everything else goes through it.
inline int toPixels(double value) {
    return static_cast<int>(std::lround(toExactPixels(value)));
}

inline double fromPixels(double pixels) {
    return pixels * kPerPixel;
}

// Whole twips of a distance in logical pixels.
inline int roundedFromPixels(double pixels) {
    return static_cast<int>(std::lround(fromPixels(pixels)));
}

inline QPoint toPixels(Point p) {
    return {toPixels(p.left), toPixels(p.top)};
}
inline QSize toPixels(Size s) {
    return {toPixels(s.width), toPixels(s.height)};
}
inline QRect toPixels(Rect r) {
    return {toPixels(r.left), toPixels(r.top), toPixels(r.width), toPixels(r.height)};
}
inline Point fromPixels(QPoint p) {
    return {fromPixels(p.x()), fromPixels(p.y())};
}

} // namespace orbeta::twips
