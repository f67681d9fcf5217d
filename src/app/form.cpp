#include "app/form.h"

#include "app/handler_guard.h"

#include <QCloseEvent>

namespace orbeta {

Form::Form(QWidget* owner, Qt::WindowFlags flags) : QWidget(owner, flags) {
    setAttribute(Qt::WA_DeleteOnClose);
}

void Form::Unload() {
    close();
}

void Form::closeEvent(QCloseEvent* event) {
    guarded(this, [this] { unloadHandler(); });
    event->accept();
}

} // namespace orbeta
