#include "app/form.h"
#include "app/handler_guard.h"
#include "app/japanese_texts.h"
#include "app/platform_choice.h"
#include "app/window_instance.h"
#include "support/test_program.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <QPushButton>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>

using orbeta::Form;
using orbeta::WindowInstance;

namespace {

struct Counts {
    int loads = 0;
    int unloads = 0;
};

class CountingForm : public Form {
public:
    explicit CountingForm(Counts& counts) : Form(nullptr, Qt::Window), counts_(counts) {
        ++counts_.loads;
        resize(120, 80);
    }

protected:
    void unloadHandler() override { ++counts_.unloads; }

private:
    Counts& counts_;
};

} // namespace

class TestWindowInstance : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void cleanup() { closeStrayWindows(); }

    void touchLoadsOnceAndUnloadLoadsAfresh() {
        Counts counts;
        WindowInstance<CountingForm> instance([&] { return new CountingForm(counts); });
        QVERIFY(!instance.isLoaded());
        QCOMPARE(counts.loads, 0);

        CountingForm* first = &instance.touch();
        QCOMPARE(&instance.touch(), first);
        QCOMPARE(counts.loads, 1);

        first->Unload();
        QCOMPARE(counts.unloads, 1);
        QTRY_VERIFY(!instance.isLoaded());

        instance.touch();
        QCOMPARE(counts.loads, 2);
    }

    void closeBoxRunsTheUnloadHandlerToo() {
        Counts counts;
        WindowInstance<CountingForm> instance([&] { return new CountingForm(counts); });
        instance.touch().show();
        QVERIFY(QTest::qWaitForWindowExposed(&instance.touch()));
        instance.touch().close();
        QCOMPARE(counts.unloads, 1);
        QTRY_VERIFY(!instance.isLoaded());
    }

    void endingDestroysWithoutUnloadHandler() {
        Counts counts;
        QPointer<CountingForm> window;
        {
            WindowInstance<CountingForm> instance([&] { return new CountingForm(counts); });
            window = &instance.touch();
            window->show();
        }
        QVERIFY(window.isNull());
        QCOMPARE(counts.unloads, 0);
    }

    void showModalBlocksTheOwnerAndReturnsAfterUnload() {
        QWidget owner;
        auto* button = new QPushButton(QStringLiteral("owner's"), &owner);
        owner.resize(200, 100);
        int ownerClicks = 0;
        connect(button, &QPushButton::clicked, [&] { ++ownerClicks; });
        owner.show();
        QVERIFY(QTest::qWaitForWindowExposed(&owner));

        Counts counts;
        WindowInstance<CountingForm> instance([&] { return new CountingForm(counts); });
        // Clicks go through the window system, where modality is enforced.
        const QPoint onButton = button->geometry().center();
        bool sawModal = false;
        int clicksWhileModal = -1;
        int unloadsWhileModal = -1;
        whenModalAppears([&](QWidget* modal) {
            sawModal = modal == instance.ifLoaded();
            QTest::mouseClick(owner.windowHandle(), Qt::LeftButton, {}, onButton);
            clicksWhileModal = ownerClicks;
            unloadsWhileModal = counts.unloads;
            instance.touch().Unload();
        });
        orbeta::showModal(instance.touch(), owner);

        QVERIFY(sawModal);
        QCOMPARE(clicksWhileModal, 0);
        QCOMPARE(unloadsWhileModal, 0);
        QCOMPARE(counts.unloads, 1);
        QVERIFY(!instance.isLoaded());
        QTest::mouseClick(owner.windowHandle(), Qt::LeftButton, {}, onButton);
        QCOMPARE(ownerClicks, 1);
    }

    // Given a window whose button's handler fails, the failure is shown over that window, the
    // rest of the handler does not run, and the window goes on taking clicks.
    void failingHandlerIsReportedAndTheProgramGoesOn() {
        QWidget window;
        auto* failing = new QPushButton(QStringLiteral("fail"), &window);
        auto* working = new QPushButton(QStringLiteral("work"), &window);
        working->move(0, 40);
        bool restOfHandlerRan = false;
        int workingClicks = 0;
        connect(failing, &QPushButton::clicked, &window, [&] {
            orbeta::guarded(&window, [&] {
                throw std::runtime_error("disk on fire");
                restOfHandlerRan = true;
            });
        });
        connect(working, &QPushButton::clicked, &window, [&] { ++workingClicks; });
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));

        QString shownText;
        QWidget* shownOver = nullptr;
        whenModalAppears([&](QWidget* box) {
            shownText = static_cast<QMessageBox*>(box)->text();
            shownOver = box->parentWidget();
            box->close();
        });
        QTest::mouseClick(failing, Qt::LeftButton);
        QVERIFY2(shownText.contains(QStringLiteral("disk on fire")), qPrintable(shownText));
        QVERIFY(shownText.startsWith(QStringLiteral("操作を完了できませんでした。")));
        QCOMPARE(shownOver, &window);
        QVERIFY(!restOfHandlerRan);
        QVERIFY(window.isVisible());
        QTest::mouseClick(working, Qt::LeftButton);
        QCOMPARE(workingClicks, 1);
    }

    void qtsOwnTextsAreJapanese() {
        QVERIFY(orbeta::installJapaneseQtTexts(*qApp));
        QMessageBox box(QMessageBox::Question, "Orbeta", "?",
                        QMessageBox::Yes | QMessageBox::Cancel);
        QCOMPARE(box.button(QMessageBox::Cancel)->text(), QString("キャンセル"));
        QCOMPARE(box.button(QMessageBox::Yes)->text(), QString("はい(&Y)"));
    }

    void waylandSessionsRunOnXWayland_data() {
        QTest::addColumn<QByteArray>("chosen");
        QTest::addColumn<QByteArray>("waylandDisplay");
        QTest::addColumn<QByteArray>("sessionType");
        QTest::addColumn<QByteArray>("x11Display");
        QTest::addColumn<QByteArray>("platform");
        QTest::newRow("x11 session") << QByteArray() << QByteArray() << QByteArray("x11")
                                     << QByteArray(":0") << QByteArray();
        QTest::newRow("wayland session")
            << QByteArray() << QByteArray("wayland-0") << QByteArray("wayland") << QByteArray(":0")
            << QByteArray("xcb");
        QTest::newRow("only the session type")
            << QByteArray() << QByteArray() << QByteArray("wayland") << QByteArray(":1")
            << QByteArray("xcb");
        QTest::newRow("user's own choice")
            << QByteArray("wayland") << QByteArray("wayland-0") << QByteArray("wayland")
            << QByteArray(":0") << QByteArray();
        QTest::newRow("no XWayland") << QByteArray() << QByteArray("wayland-0")
                                     << QByteArray("wayland") << QByteArray() << QByteArray();
    }
    void waylandSessionsRunOnXWayland() {
        QFETCH(QByteArray, chosen);
        QFETCH(QByteArray, waylandDisplay);
        QFETCH(QByteArray, sessionType);
        QFETCH(QByteArray, x11Display);
        QFETCH(QByteArray, platform);
        QCOMPARE(orbeta::platformForPositionMemory(chosen, waylandDisplay, sessionType, x11Display),
                 platform);
    }
};

QTEST_MAIN(TestWindowInstance)
#include "tst_window_instance.moc"
