#pragma once

#include <QString>

class QWidget;

namespace orbeta {

class PositionStore;

// Moves a window to the position remembered under `section`, if one was remembered. The window's
// current position is the default for a coordinate that is missing or not a number.
void restoreWindowPosition(QWidget& window, const PositionStore& store, const QString& section);

// Remembers the outer window's left and top under `section`.
void storeWindowPosition(const QWidget& window, PositionStore& store, const QString& section);

} // namespace orbeta
