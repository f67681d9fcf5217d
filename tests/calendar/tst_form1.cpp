#include "app/japanese_fonts.h"
#include "calendar/form1.h"
#include "calendar/month_view.h"
#include "support/fake_clock.h"
#include "support/test_program.h"

#include <QAbstractItemView>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>

using orbeta::Form1;
using orbeta::MonthView;

namespace {

const QDateTime kToday(QDate(1999, 3, 27), QTime(21, 40, 0));

QWidget* dayCells(MonthView& view) {
    return view.findChild<QAbstractItemView*>()->viewport();
}

void releaseOver(QWidget* widget, Qt::MouseButton button) {
    const QPoint middle = widget->rect().center();
    QTest::mousePress(widget, button, {}, middle);
    QTest::mouseRelease(widget, button, {}, middle);
}

} // namespace

class TestForm1 : public QObject {
    Q_OBJECT

    std::unique_ptr<TestProgram> test_;
    FakeClock* clock_ = nullptr;

    Form1& form1() { return test_->program->form1(); }
    QMenu* menu() { return form1().findChild<QMenu*>(QStringLiteral("p_menu")); }
    QLabel* label1() { return form1().findChild<QLabel*>(QStringLiteral("Label1")); }

private Q_SLOTS:
    void initTestCase() {
        QStandardPaths::setTestModeEnabled(true);
        orbeta::fonts::installJapaneseSubstitutes();
    }
    void init() {
        auto clock = std::make_unique<FakeClock>(kToday);
        clock_ = clock.get();
        test_ = std::make_unique<TestProgram>(std::move(clock));
    }
    void cleanup() {
        closeStrayWindows();
        test_.reset();
    }

    void windowIsBuiltAsDesigned() {
        Form1& window = form1();
        QCOMPARE(window.windowTitle(), QStringLiteral("Orbeta"));
        QCOMPARE(window.size(), QSize(166, 192));
        QCOMPARE(window.minimumSize(), window.maximumSize());
        QVERIFY(!(window.windowFlags() & Qt::WindowMinimizeButtonHint));
        QVERIFY(!(window.windowFlags() & Qt::WindowMaximizeButtonHint));
        QVERIFY(window.windowFlags() & Qt::WindowCloseButtonHint);
        QVERIFY(!window.windowIcon().isNull());
        QCOMPARE(window.pos(), QPoint(101, 92));

        MonthView& view = window.MonthView1();
        QCOMPARE(view.geometry(), QRect(0, 0, 166, 148));
        QCOMPARE(view.minimumDate(), QDate(1753, 1, 1));
        QCOMPARE(view.maximumDate(), QDate(9999, 12, 31));
        QCOMPARE(view.locale().language(), QLocale::Japanese);
        QCOMPARE(view.font().family(), orbeta::fonts::kGothic);
        QCOMPARE(view.font().pointSizeF(), 9.0);
        QVERIFY2(view.minimumSizeHint().width() <= 166,
                 qPrintable(QString::number(view.minimumSizeHint().width())));

        QLabel* label = label1();
        QCOMPARE(label->geometry(), QRect(3, 151, 160, 39));
        QCOMPARE(label->font().family(), orbeta::fonts::kGothic);
        QCOMPARE(label->font().pointSizeF(), 26.25);
        QCOMPARE(label->palette().color(QPalette::Window), QColor(Qt::black));
        QCOMPARE(label->palette().color(QPalette::WindowText), QColor(0, 255, 0));
        QVERIFY(label->alignment() & Qt::AlignHCenter);

        QStringList items;
        for (QAction* action : menu()->actions())
            items << (action->isSeparator() ? QStringLiteral("-") : action->text());
        QCOMPARE(items,
                 (QStringList{QStringLiteral("終了(&X)"), QStringLiteral("-"),
                              QStringLiteral("メモを検索(&F)..."), QStringLiteral("印刷(&P)..."),
                              QStringLiteral("PDF に保存(&D)..."), QStringLiteral("六曜を表示(&R)"),
                              QStringLiteral("Orbeta について")}));
        QCOMPARE(menu()->actions().at(1)->objectName(), QStringLiteral("mnu_0"));
    }

    void japaneseGothicIsSubstitutedByAnInstalledFamily() {
        const QFontInfo used(label1()->font());
        QVERIFY2(used.family() != orbeta::fonts::kGothic, qPrintable(used.family()));
        const QFontMetrics metrics(label1()->font());
        for (QChar c : QStringLiteral("日月火水木金土終了"))
            QVERIFY2(metrics.inFont(c),
                     qPrintable(QStringLiteral("%1 in %2").arg(c).arg(used.family())));
    }

    void loadSelectsTodayWhateverWasSelectedBefore() {
        QCOMPARE(form1().MonthView1().Value(), kToday.date());
        form1().MonthView1().setValue(QDate(2001, 1, 1));
        form1().Unload();
        QTRY_VERIFY(!test_->program->form1Instance().isLoaded());
        clock_->set(QDateTime(QDate(2000, 2, 29), QTime(0, 0)));
        QCOMPARE(form1().MonthView1().Value(), QDate(2000, 2, 29));
        QCOMPARE(form1().MonthView1().Year(), 2000);
        QCOMPARE(form1().MonthView1().Month(), 2);
        QCOMPARE(form1().MonthView1().Day(), 29);
    }

    void clockIsEmptyUntilTheFirstTickThenShowsTheTime() {
        form1().show();
        QCOMPARE(label1()->text(), QString());
        QTRY_VERIFY_WITH_TIMEOUT(!label1()->text().isEmpty(), 2500);
        QCOMPARE(label1()->text(), QStringLiteral("21:40:00"));
        clock_->set(QDateTime(kToday.date(), QTime(9, 5, 7)));
        QTRY_COMPARE_WITH_TIMEOUT(label1()->text(), QStringLiteral("09:05:07"), 2500);
    }

    void rightReleaseOverTheCalendarOpensTheMenu() {
        form1().show();
        QVERIFY(QTest::qWaitForWindowExposed(&form1()));
        releaseOver(dayCells(form1().MonthView1()), Qt::LeftButton);
        releaseOver(dayCells(form1().MonthView1()), Qt::MiddleButton);
        QVERIFY(!menu()->isVisible());

        releaseOver(dayCells(form1().MonthView1()), Qt::RightButton);
        QTRY_VERIFY(menu()->isVisible());
        menu()->close();

        auto* navigation =
            form1().MonthView1().findChild<QWidget*>(QStringLiteral("qt_calendar_navigationbar"));
        QVERIFY(navigation);
        releaseOver(navigation, Qt::RightButton);
        QTRY_VERIFY(menu()->isVisible());
        menu()->close();
    }

    void endEndsTheProgramAndStoresNothing() {
        const QString file = test_->settingsFile();
        form1().show();
        QVERIFY(QTest::qWaitForWindowExposed(&form1()));
        form1().move(300, 200);
        QTimer::singleShot(
            0, this, [this] { menu()->findChild<QAction*>(QStringLiteral("mnu_end"))->trigger(); });
        QTimer::singleShot(5000, this, [] { QCoreApplication::exit(1); });
        QCOMPARE(QCoreApplication::exec(), 0);
        QVERIFY(test_->program->form1Instance().isLoaded());
        test_->program.reset();
        QVERIFY(!QFile::exists(file));
    }

    void closeBoxStoresThePositionInTwips() {
        form1().show();
        QVERIFY(QTest::qWaitForWindowExposed(&form1()));
        form1().move(200, 30);
        form1().close();
        QCOMPARE(test_->storedValue(QStringLiteral("Form1_StrtUp/X1")), QStringLiteral("3000"));
        QCOMPARE(test_->storedValue(QStringLiteral("Form1_StrtUp/Y1")), QStringLiteral("450"));
    }

    void storedPositionIsAppliedBeforeTheWindowIsShown() {
        {
            QSettings settings(test_->settingsFile(), QSettings::IniFormat);
            settings.setValue(QStringLiteral("Form1_StrtUp/X1"), QStringLiteral("-45"));
            settings.setValue(QStringLiteral("Form1_StrtUp/Y1"), QStringLiteral("60000"));
        }
        QVERIFY(!form1().isVisible());
        QCOMPARE(form1().pos(), QPoint(-3, 4000));
    }

    void failingClockIsReportedAndTheWindowStays() {
        form1().show();
        clock_->failWith([] { throw std::runtime_error("clock broke"); });
        QString shown;
        whenModalAppears([&](QWidget* box) {
            shown = static_cast<QMessageBox*>(box)->text();
            box->close();
        });
        QTRY_VERIFY_WITH_TIMEOUT(shown.contains(QStringLiteral("clock broke")), 3000);
        clock_->failWith(nullptr);
        QVERIFY(test_->program->form1Instance().isLoaded());
        QVERIFY(form1().isVisible());
    }
};

QTEST_MAIN(TestForm1)
#include "tst_form1.moc"
