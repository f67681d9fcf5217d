#pragma once

#include <QPointer>
#include <QWidget>

#include <functional>

namespace orbeta {

// The single instance of one window class. Touching it creates and loads the window when it is
// not loaded; unloading destroys the window and the next touch loads a fresh one. Destroying the
// instance (the program ending) destroys a loaded window without running its unload handler.
template <class Window> class WindowInstance {
public:
    using Factory = std::function<Window*()>;

    explicit WindowInstance(Factory factory) : factory_(std::move(factory)) {}
    ~WindowInstance() { delete window_.data(); }
    WindowInstance(const WindowInstance&) = delete;
    WindowInstance& operator=(const WindowInstance&) = delete;

    Window& touch() {
        if (!window_)
            window_ = factory_();
        return *window_;
    }

    bool isLoaded() const { return !window_.isNull(); }
    Window* ifLoaded() const { return window_.data(); }

private:
    Factory factory_;
    QPointer<Window> window_;
};

// Shows `window` modal to `owner`, which stays blocked meanwhile, and returns once the window
// has been unloaded.
void showModal(QWidget& window, QWidget& owner);

} // namespace orbeta
