#include "app/readable_colours.h"

#include <algorithm>
#include <cmath>

namespace orbeta {

namespace {

double channel(double value) {
    const double c = value / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double luminance(const QColor& colour) {
    return 0.2126 * channel(colour.red()) + 0.7152 * channel(colour.green()) +
           0.0722 * channel(colour.blue());
}

} // namespace

double contrastRatio(const QColor& one, const QColor& other) {
    const double a = luminance(one);
    const double b = luminance(other);
    return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
}

QColor blended(const QColor& colour, const QColor& towards, double share) {
    const auto mix = [share](int from, int to) {
        return static_cast<int>(from + (to - from) * share + 0.5);
    };
    return QColor(mix(colour.red(), towards.red()), mix(colour.green(), towards.green()),
                  mix(colour.blue(), towards.blue()));
}

QColor readableOn(const QColor& wanted, const QColor& background, double ratio) {
    if (contrastRatio(wanted, background) >= ratio)
        return wanted;
    // Towards black on a light background, towards white on a dark one, a step at a time.
    const QColor end = luminance(background) > 0.18 ? QColor(Qt::black) : QColor(Qt::white);
    for (int step = 1; step <= 20; ++step) {
        const QColor tried = blended(wanted, end, step / 20.0);
        if (contrastRatio(tried, background) >= ratio)
            return tried;
    }
    return end;
}

bool isDark(const QPalette& palette) {
    return luminance(palette.color(QPalette::Base)) < luminance(palette.color(QPalette::Text));
}

QColor syncCopyColour(const QColor& background, double ratio) {
    return readableOn(QColor(176, 96, 0), background, ratio);
}

QPalette noticePalette(const QPalette& palette) {
    QPalette notice = palette;
    const QColor background =
        isDark(palette) ? blended(palette.color(QPalette::Base), QColor(255, 176, 0), 0.25)
                        : QColor(255, 244, 196);
    const QColor text = isDark(palette) ? palette.color(QPalette::Text) : QColor(Qt::black);
    notice.setColor(QPalette::Window, background);
    notice.setColor(QPalette::WindowText, readableOn(text, background));
    notice.setColor(QPalette::Link, readableOn(palette.color(QPalette::Link), background));
    notice.setColor(QPalette::LinkVisited,
                    readableOn(palette.color(QPalette::LinkVisited), background));
    return notice;
}

} // namespace orbeta
