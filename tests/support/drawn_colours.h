#pragma once

#include <QColor>
#include <QImage>
#include <QList>
#include <QPalette>
#include <QRect>

// What a part of a rendered window shows: the colour that covers most of it, and of the rest
// the colour that stands out most from it, with the contrast between them as WCAG measures it.
struct Drawn {
    QColor background;
    QColor ink;
    double ratio = 1;
};
Drawn drawnIn(const QImage& image, const QRect& area);

// The palettes a test looks at its colours under: the style's own light one, Orbeta's dark one,
// and one of another desktop's dark colour schemes.
struct NamedPalette {
    const char* name;
    QPalette palette;
};
QList<NamedPalette> lightAndDarkPalettes();
