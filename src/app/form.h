#pragma once

#include <QWidget>

namespace orbeta {

// A loaded window: its constructor is the load handler, and Unload (or the close box) runs the
// unload handler and then destroys the window with all its controls.
class Form : public QWidget {
    Q_OBJECT
public:
    void Unload();

protected:
    Form(QWidget* owner, Qt::WindowFlags flags);
    virtual void unloadHandler() {}
    void closeEvent(QCloseEvent* event) override;
};

} // namespace orbeta
