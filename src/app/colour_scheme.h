#pragma once

#include <QDBusVariant>
#include <QObject>
#include <QPalette>

namespace orbeta {

// Light or dark as the desktop has it. Qt's style or platform theme gives the palette (a dark
// one with adwaita-qt's Adwaita-Dark, KDE's colour schemes, -style); where that palette is light
// but the desktop asks for dark (the freedesktop appearance setting "color-scheme", read through
// the desktop portal on the session bus, which Qt 6.4 does not look at), Orbeta takes a dark
// palette of its own. A change of the setting while Orbeta runs re-colours every window.
class ColourScheme : public QObject {
    Q_OBJECT
public:
    explicit ColourScheme(QObject* parent = nullptr);

    // Asks the portal, when there is a session bus, without waiting for the answer.
    void followTheDesktop();
    // Takes the desktop's choice: 0 no preference, 1 dark, 2 light (the portal's values).
    void follow(uint preference);

    static QPalette darkPalette();

private Q_SLOTS:
    // The portal's SettingChanged signal (D-Bus signals reach only slots named this way).
    void settingChanged(const QString& group, const QString& key, const QDBusVariant& value);

private:
    void listen();

    QPalette own_; // what Qt gave, before any palette of Orbeta's
    bool darkened_ = false;
};

} // namespace orbeta
