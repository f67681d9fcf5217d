#include "support/drawn_colours.h"

#include "app/colour_scheme.h"
#include "app/readable_colours.h"

#include <QApplication>
#include <QHash>
#include <QStyle>

Drawn drawnIn(const QImage& image, const QRect& area) {
    QHash<QRgb, int> counts;
    const QRect inside = area & image.rect();
    for (int y = inside.top(); y <= inside.bottom(); ++y)
        for (int x = inside.left(); x <= inside.right(); ++x)
            ++counts[image.pixel(x, y) | 0xff000000u];
    Drawn drawn;
    int most = 0;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        if (it.value() > most) {
            most = it.value();
            drawn.background = QColor(it.key());
        }
    drawn.ink = drawn.background;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        if (const double ratio = orbeta::contrastRatio(QColor(it.key()), drawn.background);
            ratio > drawn.ratio) {
            drawn.ratio = ratio;
            drawn.ink = QColor(it.key());
        }
    return drawn;
}

QList<NamedPalette> lightAndDarkPalettes() {
    QPalette breezeDark = orbeta::ColourScheme::darkPalette();
    breezeDark.setColor(QPalette::Window, QColor(49, 54, 59));
    breezeDark.setColor(QPalette::Base, QColor(35, 38, 41));
    breezeDark.setColor(QPalette::Text, QColor(252, 252, 252));
    breezeDark.setColor(QPalette::WindowText, QColor(252, 252, 252));
    breezeDark.setColor(QPalette::Highlight, QColor(61, 174, 233));
    breezeDark.setColor(QPalette::HighlightedText, QColor(252, 252, 252));
    breezeDark.setColor(QPalette::Link, QColor(29, 153, 243));
    return {{"light", QApplication::style()->standardPalette()},
            {"dark", orbeta::ColourScheme::darkPalette()},
            {"other dark", breezeDark}};
}
