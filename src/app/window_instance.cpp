#include "app/window_instance.h"

#include <QEventLoop>
#include <QTimer>

namespace orbeta {

void showModal(QWidget& window, QWidget& owner) {
    if (window.parentWidget() != &owner)
        window.setParent(&owner, window.windowFlags());
    window.setWindowModality(Qt::WindowModal);
    QEventLoop untilUnloaded;
    QObject::connect(&window, &QObject::destroyed, &untilUnloaded, &QEventLoop::quit);
    window.show();
    // When another window that this one now blocks had the focus, the owner would get it: the
    // window takes it once it is shown.
    QTimer::singleShot(0, &window, [&window] { window.activateWindow(); });
    untilUnloaded.exec();
}

} // namespace orbeta
