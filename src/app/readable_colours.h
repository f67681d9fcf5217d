#pragma once

#include <QColor>
#include <QPalette>

namespace orbeta {

// Colours that read against what is behind them, as WCAG 2.1 measures it: text needs 4.5:1,
// large marks and frames 3:1.
inline constexpr double kTextContrast = 4.5;
inline constexpr double kMarkContrast = 3.0;
// Small text is drawn with soft edges, and its thin strokes never show their full colour on the
// screen: a colour chosen for it, where it has to be chosen, aims this much above its ratio.
inline constexpr double kSoftEdges = 1.2;

// The contrast of two colours: from 1 (the same) to 21 (black on white).
double contrastRatio(const QColor& one, const QColor& other);

// The colour nearest to `wanted`, its hue kept, that reaches `ratio` against `background`:
// darker on a light background, lighter on a dark one. A colour that reads already stays.
QColor readableOn(const QColor& wanted, const QColor& background, double ratio = kTextContrast);

// `colour` moved towards `towards` by `share` (0 to 1).
QColor blended(const QColor& colour, const QColor& towards, double share);

// Whether a palette shows light text on a dark background.
bool isDark(const QPalette& palette);

// The colour that marks another machine's copy of a memo, wherever copies are shown.
QColor syncCopyColour(const QColor& background, double ratio = kTextContrast);

// A palette for a line that asks for attention in a window of `palette`: pale yellow with black
// text on a light desktop, a dark amber with light text on a dark one; its links read too.
QPalette noticePalette(const QPalette& palette);

} // namespace orbeta
