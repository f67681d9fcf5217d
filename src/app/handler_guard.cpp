#include "app/handler_guard.h"

#include <QMessageBox>
#include <QWidget>

namespace orbeta {

void reportHandlerFailure(QWidget* parent, const QString& detail) noexcept {
    // A handler that keeps failing (the clock, say) must not stack up boxes.
    static bool reporting = false;
    if (reporting)
        return;
    reporting = true;
    try {
        QString text = QStringLiteral("操作を完了できませんでした。");
        if (!detail.isEmpty())
            text += QStringLiteral("\n\n") + detail;
        QMessageBox box(QMessageBox::Warning, QStringLiteral("Orbeta"), text, QMessageBox::Ok,
                        parent);
        box.setObjectName(QStringLiteral("handlerFailure"));
        box.exec();
    } catch (...) {
    }
    reporting = false;
}

} // namespace orbeta
