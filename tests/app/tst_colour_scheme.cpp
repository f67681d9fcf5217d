#include "app/colour_scheme.h"
#include "app/readable_colours.h"
#include "support/drawn_colours.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusVariant>
#include <QProcess>
#include <QStandardPaths>
#include <QStyle>
#include <QTest>

using orbeta::ColourScheme;

namespace {

const QString kPortal = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kAppearance = QStringLiteral("org.freedesktop.appearance");
const QString kColourSchemeKey = QStringLiteral("color-scheme");

} // namespace

// The desktop portal's settings, as GNOME's and KDE's portals serve them: the appearance's
// colour scheme, wrapped in a variant within a variant as they wrap it.
class FakePortalSettings : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Settings")
public:
    uint preference = 0;

    void change(uint to) {
        preference = to;
        Q_EMIT SettingChanged(kAppearance, kColourSchemeKey, QDBusVariant(to));
    }

public Q_SLOTS:
    QDBusVariant Read(const QString& group, const QString& key) {
        if (group != kAppearance || key != kColourSchemeKey)
            return QDBusVariant(QVariant(0u));
        return QDBusVariant(QVariant::fromValue(QDBusVariant(QVariant(preference))));
    }

Q_SIGNALS:
    void SettingChanged(const QString& group, const QString& key, const QDBusVariant& value);
};

// Light or dark as the desktop says, through a session bus of the test's own with a portal on it.
class TestColourScheme : public QObject {
    Q_OBJECT

    QProcess bus_;

private Q_SLOTS:
    void initTestCase() {
        QStandardPaths::setTestModeEnabled(true);
        if (QStandardPaths::findExecutable(QStringLiteral("dbus-daemon")).isEmpty())
            QSKIP("dbus-daemon is missing (scripts/setup-debian.sh test installs it)");
        bus_.start(QStringLiteral("dbus-daemon"),
                   {QStringLiteral("--session"), QStringLiteral("--nofork"),
                    QStringLiteral("--print-address=1")});
        QVERIFY(bus_.waitForReadyRead(30000));
        const QByteArray address = bus_.readLine().trimmed();
        QVERIFY(!address.isEmpty());
        qputenv("DBUS_SESSION_BUS_ADDRESS", address);
    }
    void cleanupTestCase() {
        bus_.kill();
        bus_.waitForFinished();
    }
    void cleanup() { QApplication::setPalette(QApplication::style()->standardPalette()); }

    // A light style on a desktop set to dark: Orbeta's dark palette, at start and when the
    // setting changes while it runs; set to light again, the style's own palette comes back.
    void aLightStyleFollowsTheDesktopsSetting() {
        QDBusConnection portalSide = QDBusConnection::connectToBus(
            QString::fromLocal8Bit(qgetenv("DBUS_SESSION_BUS_ADDRESS")), QStringLiteral("portal"));
        QVERIFY(portalSide.isConnected());
        FakePortalSettings settings;
        settings.preference = 1;
        QVERIFY(portalSide.registerObject(
            kPath, &settings, QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllSignals));
        QVERIFY(portalSide.registerService(kPortal));

        const QPalette light = QApplication::palette();
        QVERIFY(!orbeta::isDark(light));
        ColourScheme scheme;
        scheme.followTheDesktop();
        QTRY_VERIFY(orbeta::isDark(QApplication::palette()));
        QCOMPARE(QApplication::palette().color(QPalette::Base),
                 ColourScheme::darkPalette().color(QPalette::Base));

        settings.change(2);
        QTRY_VERIFY(!orbeta::isDark(QApplication::palette()));
        QCOMPARE(QApplication::palette().color(QPalette::Base), light.color(QPalette::Base));
        settings.change(1);
        QTRY_VERIFY(orbeta::isDark(QApplication::palette()));
        portalSide.unregisterService(kPortal);
        QDBusConnection::disconnectFromBus(QStringLiteral("portal"));
    }

    // A dark palette from the style (Adwaita-Dark, a KDE colour scheme) is the style's to keep:
    // the desktop asking for dark does not replace it.
    void aDarkStylesPaletteIsKept() {
        const QPalette styleDark = lightAndDarkPalettes().last().palette;
        QApplication::setPalette(styleDark);
        ColourScheme scheme;
        scheme.follow(1);
        QCOMPARE(QApplication::palette().color(QPalette::Base), styleDark.color(QPalette::Base));
        scheme.follow(2);
        QCOMPARE(QApplication::palette().color(QPalette::Base), styleDark.color(QPalette::Base));
    }
};

QTEST_MAIN(TestColourScheme)
#include "tst_colour_scheme.moc"
