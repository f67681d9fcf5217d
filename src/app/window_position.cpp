#include "app/window_position.h"

#include "app/position_store.h"
#include "app/twips.h"

#include <QWidget>

#include <algorithm>

namespace orbeta {

namespace {

// Off-screen positions are applied as they are, but X11 window coordinates are 16-bit.
constexpr int kFarthestPixel = 32767;

int toWindowCoordinate(double twipsValue) {
    const double pixels = twipsValue / twips::kPerPixel;
    const double limited = std::clamp(pixels, double{-kFarthestPixel}, double{kFarthestPixel});
    return twips::toPixels(limited * twips::kPerPixel);
}

} // namespace

void restoreWindowPosition(QWidget& window, const PositionStore& store, const QString& section) {
    const std::optional<twips::Point> position =
        store.restore(section, twips::fromPixels(window.pos()));
    if (position)
        window.move(toWindowCoordinate(position->left), toWindowCoordinate(position->top));
}

void storeWindowPosition(const QWidget& window, PositionStore& store, const QString& section) {
    store.store(section, twips::fromPixels(window.pos()));
}

} // namespace orbeta
