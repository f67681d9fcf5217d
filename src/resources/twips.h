#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

#include <cmath>

// Window and control geometry is designed in twips (1/1440 inch). At 96 dots per inch
// fifteen twips make one logical pixel; Qt scales logical pixels on high-density screens.
namespace orbeta::twips {

inline constexpr int kPerPixel = 15;

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

// The one conversion from twips to logical pixels; everything else goes through it.
inline int toPixels(double value) {
    return static_cast<int>(std::lround(value / kPerPixel));
}

inline double fromPixels(int pixels) {
    return static_cast<double>(pixels) * kPerPixel;
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
