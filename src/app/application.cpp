#include "app/application.h"

#include "app/colour_scheme.h"
#include "app/handler_guard.h"
#include "app/japanese_fonts.h"
#include "app/japanese_texts.h"
#include "app/version.h"

namespace orbeta {

Application::Application(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName(QStringLiteral("Orbeta"));
    setOrganizationName(QStringLiteral("Orbeta"));
    setApplicationVersion(version::shown());
    fonts::installJapaneseSubstitutes();
    installJapaneseQtTexts(*this);
    (new ColourScheme(this))->followTheDesktop();
}

bool Application::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& failure) {
        reportHandlerFailure(nullptr, QString::fromLocal8Bit(failure.what()));
    } catch (...) {
        reportHandlerFailure(nullptr, QString());
    }
    return false;
}

} // namespace orbeta
