#include "about/frm_about.h"
#include "about/memory_registry.h"
#include "about/program_starter.h"
#include "app/japanese_fonts.h"
#include "calendar/form1.h"
#include "support/test_program.h"

#include <QApplication>
#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace orbeta;

namespace {

// Records what it was asked to start, and succeeds or fails as told.
class RecordingStarter final : public ProgramStarter {
public:
    explicit RecordingStarter(bool succeeds) : succeeds_(succeeds) {}
    bool start(const QString& program) override {
        started << program;
        return succeeds_;
    }
    QStringList started;

private:
    bool succeeds_;
};

} // namespace

class TestFrmAbout : public QObject {
    Q_OBJECT

    std::unique_ptr<TestProgram> test_;
    registry::MemoryRegistry* registry_ = nullptr;
    RecordingStarter* starter_ = nullptr;

    void makeProgram(bool starterSucceeds) {
        test_ = std::make_unique<TestProgram>();
        auto registry = std::make_unique<registry::MemoryRegistry>();
        registry_ = registry.get();
        auto starter = std::make_unique<RecordingStarter>(starterSucceeds);
        starter_ = starter.get();
        test_->replace([&](Services& services) {
            services.registry = std::move(registry);
            services.starter = std::move(starter);
        });
        test_->program->form1().show();
        QVERIFY(QTest::qWaitForWindowExposed(&test_->program->form1()));
    }

    // Shows the About box as the calendar's menu does, hands it to `use`, waits until it is gone.
    void withAboutBox(const std::function<void(frmAbout&)>& use) {
        bool used = false;
        whenModalAppears([&](QWidget* window) {
            auto* about = qobject_cast<frmAbout*>(window);
            QVERIFY(about);
            QVERIFY(QTest::qWaitForWindowExposed(about));
            use(*about);
            used = true;
            if (test_->program->aboutInstance().isLoaded())
                about->Unload();
        });
        test_->program->form1().findChild<QAction*>("mnu_about")->trigger();
        QVERIFY(used);
        QVERIFY(!test_->program->aboutInstance().isLoaded());
    }

    // Presses ｼｽﾃﾑ情報 and returns the text of the message box it showed, if any.
    QString pressSysInfo(frmAbout& about) {
        QString shown;
        const QPointer<QTimer> answering = whenModalAppears([&](QWidget* box) {
            auto* message = qobject_cast<QMessageBox*>(box);
            if (!message)
                return;
            shown = message->windowTitle() + "|" + message->text() + "|" +
                    QString::number(message->standardButtons());
            box->close();
        });
        about.findChild<QPushButton*>("cmdSysInfo")->click(); // a box shows before it returns
        delete answering;
        return shown;
    }

private Q_SLOTS:
    void initTestCase() {
        QStandardPaths::setTestModeEnabled(true);
        fonts::installJapaneseSubstitutes();
    }
    void cleanup() {
        closeStrayWindows();
        test_.reset();
    }

    void boxIsBuiltAsDesigned() {
        makeProgram(true);
        withAboutBox([](frmAbout& about) {
            QCOMPARE(about.windowTitle(), QString("Orbeta Information"));
            QCOMPARE(about.size(), QSize(325, 153));
            QCOMPARE(about.minimumSize(), about.maximumSize());
            QVERIFY(!(about.windowFlags() &
                      (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
            const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
            QVERIFY((about.geometry().center() - screen.center()).manhattanLength() <= 2);

            const auto geometryOf = [&](const char* name) {
                return about.findChild<QWidget*>(name)->geometry();
            };
            QCOMPARE(geometryOf("picIcon"), QRect(12, 16, 36, 36));
            QCOMPARE(geometryOf("lblTitle"), QRect(56, 12, 257, 19));
            QCOMPARE(geometryOf("lblVersion"), QRect(56, 32, 257, 15));
            QCOMPARE(geometryOf("lblDescription"), QRect(56, 56, 255, 17));
            QCOMPARE(geometryOf("Label1"), QRect(52, 76, 259, 16));
            QCOMPARE(geometryOf("Frame1"), QRect(8, 104, 309, 5));
            QCOMPARE(geometryOf("cmdSysInfo"), QRect(44, 120, 92, 23));
            QCOMPARE(geometryOf("cmdOK"), QRect(192, 120, 92, 23));

            const auto text = [&](const char* name) {
                return about.findChild<QLabel*>(name)->text();
            };
            QCOMPARE(text("lblTitle"), QString("Orbeta for Windows95/98/NT"));
            QCOMPARE(text("lblVersion"), QString("Version 1.00"));
            QVERIFY(text("lblDescription").startsWith("Copyright"));
            QVERIFY(text("Label1").startsWith("E-Mail : ") &&
                    text("Label1").endsWith("@example.org"));
            for (const char* name : {"lblTitle", "lblVersion", "lblDescription", "Label1"}) {
                const QLabel* label = about.findChild<QLabel*>(name);
                QCOMPARE(label->font().family(), fonts::kPGothic);
                QVERIFY(label->alignment() & Qt::AlignHCenter);
                QVERIFY2(label->fontMetrics().horizontalAdvance(label->text()) <= label->width(),
                         name);
            }
            QCOMPARE(about.findChild<QLabel*>("lblTitle")->palette().color(QPalette::WindowText),
                     QColor(Qt::black));
            QVERIFY(!about.findChild<QLabel*>("picIcon")->pixmap().isNull());
            QCOMPARE(about.findChild<QFrame*>("Frame1")->frameShape(), QFrame::HLine);
            QCOMPARE(about.findChild<QPushButton*>("cmdSysInfo")->text(),
                     QString("ｼｽﾃﾑ情報(&S)..."));
            QCOMPARE(about.findChild<QPushButton*>("cmdOK")->text(), QString("OK"));
        });
    }

    void okHoldsTheFocusFirstInTabOrder() {
        makeProgram(true);
        withAboutBox([](frmAbout& about) {
            QTRY_COMPARE(QApplication::focusWidget(), about.findChild<QWidget*>("cmdOK"));
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), about.findChild<QWidget*>("picIcon"));
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), about.findChild<QWidget*>("cmdSysInfo"));
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), about.findChild<QWidget*>("cmdOK"));
        });
    }

    void enterAndEscapeCloseTheBoxFromAnywhere_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("focus");
        QTest::newRow("Enter on OK") << int(Qt::Key_Return) << "cmdOK";
        QTest::newRow("keypad Enter on the picture") << int(Qt::Key_Enter) << "picIcon";
        QTest::newRow("Escape on the system button") << int(Qt::Key_Escape) << "cmdSysInfo";
    }
    void enterAndEscapeCloseTheBoxFromAnywhere() {
        QFETCH(int, key);
        QFETCH(QString, focus);
        makeProgram(true);
        bool closedByKey = false;
        withAboutBox([&](frmAbout& about) {
            QWidget* target = about.findChild<QWidget*>(focus);
            target->setFocus();
            QTRY_COMPARE(QApplication::focusWidget(), target);
            QTest::keyClick(about.windowHandle(), Qt::Key(key));
            QTRY_VERIFY(!test_->program->aboutInstance().isLoaded());
            closedByKey = true;
        });
        QVERIFY(closedByKey);
        QVERIFY(starter_->started.isEmpty());
    }

    void sysInfoStartsTheRegisteredProgramAndTheBoxStays() {
        makeProgram(true);
        registry_->setString(registry::kLocalMachine, kSysInfoPathKey, "PATH", "/opt/sysinfo/run");
        withAboutBox([&](frmAbout& about) {
            QCOMPARE(pressSysInfo(about), QString());
            QCOMPARE(starter_->started, QStringList{"/opt/sysinfo/run"});
            QVERIFY(about.isVisible());
        });
    }

    void sysInfoFromTheFolderValue() {
        makeProgram(true);
        QTemporaryDir folder;
        QFile program(folder.filePath("MSINFO32.EXE"));
        QVERIFY(program.open(QIODevice::WriteOnly));
        registry_->setString(registry::kLocalMachine, kSysInfoFolderKey, "MSINFO",
                             folder.path().toStdString());
        withAboutBox([&](frmAbout& about) {
            QCOMPARE(pressSysInfo(about), QString());
            QCOMPARE(starter_->started, QStringList{folder.filePath("MSINFO32.EXE")});
        });
    }

    void unavailableSysInfoIsSaidOnce_data() {
        QTest::addColumn<bool>("registered");
        QTest::addColumn<bool>("starts");
        QTest::newRow("nothing registered") << false << true;
        QTest::newRow("program fails to start") << true << false;
    }
    void unavailableSysInfoIsSaidOnce() {
        QFETCH(bool, registered);
        QFETCH(bool, starts);
        makeProgram(starts);
        if (registered)
            registry_->setString(registry::kLocalMachine, kSysInfoPathKey, "PATH",
                                 "/no/such/program");
        withAboutBox([&](frmAbout& about) {
            QCOMPARE(
                pressSysInfo(about),
                QString("Orbeta|現時点ではｼｽﾃﾑ情報を使用できません|%1").arg(int(QMessageBox::Ok)));
            QVERIFY(about.isVisible());
        });
        QCOMPARE(starter_->started.size(), registered ? 1 : 0);
    }

    void eachOpeningLoadsTheBoxAfresh() {
        makeProgram(true);
        QPointer<frmAbout> first;
        withAboutBox([&](frmAbout& about) { first = &about; });
        QVERIFY(first.isNull());
        withAboutBox([&](frmAbout& about) { QVERIFY(&about != first.data()); });
    }
};

QTEST_MAIN(TestFrmAbout)
#include "tst_frm_about.moc"
