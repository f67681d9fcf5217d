#include "app/window_system_loss.h"

#include <QCoreApplication>
#include <QThread>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <mutex>

namespace orbeta {

namespace {

// Never destroyed: the exit handlers may run after every other static object has gone.
std::function<void()>& lastWords() {
    static auto& words = *new std::function<void()>;
    return words;
}
std::atomic<bool> spoken{false};
QtMessageHandler earlierHandler = nullptr;

bool onWindowThread() {
    const QCoreApplication* application = QCoreApplication::instance();
    return application && QThread::currentThread() == application->thread();
}

[[noreturn]] void speakAndEnd() {
    if (!spoken.exchange(true) && lastWords())
        lastWords()();
    std::fflush(nullptr);
    std::_Exit(1);
}

// Qt's platform plugins say so in a warning just before they call exit(): "The X11 connection
// broke ...", "The Wayland connection broke ...".
bool tellsOfALostConnection(QtMsgType type, const QString& message) {
    return type == QtWarningMsg && message.contains(QLatin1String("connection broke"));
}

void watchMessages(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (earlierHandler)
        earlierHandler(type, context, message);
    else
        std::fprintf(stderr, "%s\n", qUtf8Printable(qFormatLogMessage(type, context, message)));
    if (tellsOfALostConnection(type, message) && lastWords() && onWindowThread())
        speakAndEnd();
}

void atExit() {
    if (lastWords() && onWindowThread())
        speakAndEnd();
}

} // namespace

void setLastWordsBeforeWindowSystemLoss(std::function<void()> last) {
    static std::once_flag installed;
    std::call_once(installed, [] {
        earlierHandler = qInstallMessageHandler(watchMessages);
        std::atexit(atExit);
    });
    lastWords() = std::move(last);
}

} // namespace orbeta
