#pragma once

#include <cmath>

// RTF measures distances in twips (1/1440 inch); a document measures them in logical pixels, 96
// to the inch, which Qt scales on high-density screens: fifteen twips make one logical pixel.
namespace orbeta::rtf::units {

inline constexpr int kTwipsPerPixel = 1440 / 96;
// Points per logical pixel: 72 points an inch, 96 pixels.
inline constexpr double kPointsPerPixel = 72.0 / 96;

// Logical pixels of a distance in twips, as a fraction where it is not whole pixels.
inline double toExactPixels(double twips) {
    return twips / kTwipsPerPixel;
}

// Whole twips of a distance in logical pixels.
inline int roundedFromPixels(double pixels) {
    return static_cast<int>(std::lround(pixels * kTwipsPerPixel));
}

} // namespace orbeta::rtf::units
