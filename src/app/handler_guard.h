#pragma once

#include <QString>

#include <exception>

class QWidget;

namespace orbeta {

// Tells the user that an action failed, in one modal box, and lets the program go on.
void reportHandlerFailure(QWidget* parent, const QString& detail) noexcept;

// Runs an event handler so that a failure inside it is reported instead of ending the program.
template <class Handler> void guarded(QWidget* parent, Handler&& handler) noexcept {
    try {
        handler();
    } catch (const std::exception& failure) {
        reportHandlerFailure(parent, QString::fromLocal8Bit(failure.what()));
    } catch (...) {
        reportHandlerFailure(parent, QString());
    }
}

} // namespace orbeta
