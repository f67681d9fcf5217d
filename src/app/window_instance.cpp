#include "app/window_instance.h"

#include <QEventLoop>
#include <QTimer>

namespace orbeta {

namespace {

constexpr int kFocusRetryMs = 50;
constexpr int kFocusTries = 20;

} // namespace

void showModal(QWidget& window, QWidget& owner) {
    if (window.parentWidget() != &owner)
        window.setParent(&owner, window.windowFlags());
    window.setWindowModality(Qt::WindowModal);
    QEventLoop untilUnloaded;
    QObject::connect(&window, &QObject::destroyed, &untilUnloaded, &QEventLoop::quit);
    window.show();
    // When another window that this one now blocks had the focus, the owner would get it: the
    // window asks for it until it has it, for as long as the window manager may take to map it.
    auto* takeFocus = new QTimer(&window);
    takeFocus->setInterval(kFocusRetryMs);
    QObject::connect(takeFocus, &QTimer::timeout, &window,
                     [&window, takeFocus, tries = 0]() mutable {
                         if (window.isActiveWindow() || ++tries > kFocusTries)
                             takeFocus->deleteLater();
                         else
                             window.activateWindow();
                     });
    window.activateWindow();
    takeFocus->start();
    untilUnloaded.exec();
}

} // namespace orbeta
