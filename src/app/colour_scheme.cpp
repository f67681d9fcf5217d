#include "app/colour_scheme.h"

#include "app/readable_colours.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <QFileInfo>

namespace orbeta {

namespace {

const QString kPortal = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kSettings = QStringLiteral("org.freedesktop.portal.Settings");
const QString kAppearance = QStringLiteral("org.freedesktop.appearance");
const QString kColourScheme = QStringLiteral("color-scheme");
constexpr uint kPrefersDark = 1;

// The portal wraps the value in as many variants as it likes.
uint preferenceIn(QVariant value) {
    while (value.canConvert<QDBusVariant>())
        value = value.value<QDBusVariant>().variant();
    return value.toUInt();
}

// Whether a session bus runs: named in the environment, or in its usual place. Where none runs,
// asking for one would have the D-Bus library start one of its own for the X display.
bool sessionBusRuns() {
    if (!qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
        return true;
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    return !runtime.isEmpty() && QFileInfo::exists(runtime + QStringLiteral("/bus"));
}

} // namespace

ColourScheme::ColourScheme(QObject* parent) : QObject(parent), own_(QApplication::palette()) {}

void ColourScheme::followTheDesktop() {
    if (!sessionBusRuns())
        return;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return;
    QDBusMessage read =
        QDBusMessage::createMethodCall(kPortal, kPath, kSettings, QStringLiteral("Read"));
    read << kAppearance << kColourScheme;
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(read), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this](QDBusPendingCallWatcher* call) {
                const QDBusPendingReply<QVariant> reply = *call;
                call->deleteLater();
                if (!reply.isValid())
                    return; // no portal, or one without the setting
                follow(preferenceIn(reply.value()));
                listen();
            });
}

// Changes of the setting, once the portal has answered.
void ColourScheme::listen() {
    // Connected once the portal has answered: asked for right after the session bus is first
    // opened, Qt 6.4 does not make the connection.
    QDBusConnection::sessionBus().connect(kPortal, kPath, kSettings,
                                          QStringLiteral("SettingChanged"), this,
                                          SLOT(settingChanged(QString, QString, QDBusVariant)));
}

void ColourScheme::settingChanged(const QString& group, const QString& key,
                                  const QDBusVariant& value) {
    if (group == kAppearance && key == kColourScheme)
        follow(preferenceIn(value.variant()));
}

void ColourScheme::follow(uint preference) {
    const bool wantDark = preference == kPrefersDark;
    if (wantDark && !darkened_ && !isDark(QApplication::palette())) {
        own_ = QApplication::palette();
        QApplication::setPalette(darkPalette());
        darkened_ = true;
    } else if (!wantDark && darkened_) {
        QApplication::setPalette(own_);
        darkened_ = false;
    }
}

QPalette ColourScheme::darkPalette() {
    QPalette dark;
    const QColor window(45, 45, 48);
    const QColor base(30, 30, 32);
    const QColor text(235, 235, 235);
    const QColor disabled(140, 140, 140);
    dark.setColor(QPalette::Window, window);
    dark.setColor(QPalette::WindowText, text);
    dark.setColor(QPalette::Base, base);
    dark.setColor(QPalette::AlternateBase, window);
    dark.setColor(QPalette::ToolTipBase, QColor(60, 60, 64));
    dark.setColor(QPalette::ToolTipText, text);
    dark.setColor(QPalette::PlaceholderText, disabled);
    dark.setColor(QPalette::Text, text);
    dark.setColor(QPalette::Button, window);
    dark.setColor(QPalette::ButtonText, text);
    dark.setColor(QPalette::BrightText, Qt::white);
    dark.setColor(QPalette::Light, QColor(70, 70, 74));
    dark.setColor(QPalette::Midlight, QColor(58, 58, 62));
    dark.setColor(QPalette::Mid, QColor(40, 40, 42));
    dark.setColor(QPalette::Dark, QColor(20, 20, 22));
    dark.setColor(QPalette::Shadow, Qt::black);
    dark.setColor(QPalette::Highlight, QColor(42, 110, 190));
    dark.setColor(QPalette::HighlightedText, Qt::white);
    dark.setColor(QPalette::Link, QColor(120, 180, 255));
    dark.setColor(QPalette::LinkVisited, QColor(190, 150, 255));
    for (const QPalette::ColorRole role :
         {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        dark.setColor(QPalette::Disabled, role, disabled);
    return dark;
}

} // namespace orbeta
