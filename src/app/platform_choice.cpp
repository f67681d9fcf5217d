#include "app/platform_choice.h"

#include <QtGlobal>

namespace orbeta {

QByteArray platformForPositionMemory(const QByteArray& chosenPlatform,
                                     const QByteArray& waylandDisplay,
                                     const QByteArray& sessionType, const QByteArray& x11Display) {
    if (!chosenPlatform.isEmpty())
        return {};
    const bool wayland = !waylandDisplay.isEmpty() || sessionType == "wayland";
    if (!wayland || x11Display.isEmpty())
        return {};
    return QByteArrayLiteral("xcb");
}

void choosePlatformForPositionMemory() {
    const QByteArray platform =
        platformForPositionMemory(qgetenv("QT_QPA_PLATFORM"), qgetenv("WAYLAND_DISPLAY"),
                                  qgetenv("XDG_SESSION_TYPE"), qgetenv("DISPLAY"));
    if (!platform.isEmpty())
        qputenv("QT_QPA_PLATFORM", platform);
}

} // namespace orbeta
