#pragma once

#include <QByteArray>

namespace orbeta {

// Window positions can be set and read only under X11: a Wayland client may do neither. In a
// Wayland session the program therefore runs on XWayland, unless the user chose a Qt platform.
// Returns the platform to use, or nothing to leave Qt's choice alone.
QByteArray platformForPositionMemory(const QByteArray& chosenPlatform,
                                     const QByteArray& waylandDisplay,
                                     const QByteArray& sessionType, const QByteArray& x11Display);

// Applies the choice above to this process's environment; call before the application object.
void choosePlatformForPositionMemory();

} // namespace orbeta
