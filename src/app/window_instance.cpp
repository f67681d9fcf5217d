#include "app/window_instance.h"

#include <QEventLoop>

namespace orbeta {

void showModal(QWidget& window, QWidget& owner) {
    if (window.parentWidget() != &owner)
        window.setParent(&owner, window.windowFlags());
    window.setWindowModality(Qt::WindowModal);
    QEventLoop untilUnloaded;
    QObject::connect(&window, &QObject::destroyed, &untilUnloaded, &QEventLoop::quit);
    window.show();
    untilUnloaded.exec();
}

} // namespace orbeta
