#include "calendar/japanese_era.h"
#include "calendar/japanese_holidays.h"

#include <QFile>
#include <QHash>
#include <QTest>

#include <unicode/calendar.h>
#include <unicode/smpdtfmt.h>
#include <unicode/timezone.h>

#include <memory>

using namespace orbeta;

namespace {

// The Cabinet Office's list: date → name.
QHash<QDate, QString> cabinetOfficeHolidays() {
    QFile file(QStringLiteral(ORBETA_CALENDAR_DATA "/syukujitsu.csv"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QHash<QDate, QString> holidays;
    for (const QByteArray& line : file.readAll().split('\n')) {
        const QList<QByteArray> fields = line.trimmed().split(',');
        if (fields.size() == 2)
            holidays.insert(QDate::fromString(QString::fromLatin1(fields[0]), u"yyyy/M/d"),
                            QString::fromUtf8(fields[1]));
    }
    return holidays;
}

// Whether our name is the one the list gives, which shortens some and calls a substitute day
// and a day between holidays both "休日".
bool sameHoliday(const QString& ours, const QString& listed) {
    if (listed == QStringLiteral("休日"))
        return ours == QStringLiteral("振替休日") || ours == QStringLiteral("国民の休日");
    if (listed == QStringLiteral("休日（祝日扱い）"))
        return ours == QStringLiteral("天皇の即位の日") || ours == QStringLiteral("即位礼正殿の儀");
    if (listed == QStringLiteral("体育の日（スポーツの日）"))
        return ours == QStringLiteral("体育の日");
    return ours == listed || ours.endsWith(listed);
}

} // namespace

class TestJapaneseCalendar : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void holidaysAreTheCabinetOfficesEveryDay() {
        const QHash<QDate, QString> listed = cabinetOfficeHolidays();
        QVERIFY(listed.size() > 1000);
        int equinoxes = 0;
        for (QDate day(1955, 1, 1); day.year() <= 2026; day = day.addDays(1)) {
            const QString ours = japaneseHoliday(day);
            const QString theirs = listed.value(day);
            QVERIFY2(sameHoliday(ours, theirs) || (ours.isEmpty() && theirs.isEmpty()),
                     qPrintable(day.toString(Qt::ISODate) + QStringLiteral(": ") + ours +
                                QStringLiteral(" / ") + theirs));
            if (theirs.endsWith(QStringLiteral("分の日"))) {
                QCOMPARE(day.day(), day.month() == 3 ? springEquinoxDay(day.year())
                                                     : autumnEquinoxDay(day.year()));
                ++equinoxes;
            }
        }
        QCOMPARE(equinoxes, 2 * 72);
    }

    void rulesAtTheirEdges_data() {
        QTest::addColumn<QDate>("date");
        QTest::addColumn<QString>("name");
        const auto row = [](const char* tag, QDate date, const char16_t* name) {
            QTest::newRow(tag) << date << QString::fromUtf16(name);
        };
        row("before the range", QDate(1948, 11, 3), u"");
        row("first day of the range", QDate(1949, 1, 1), u"元日");
        row("coming of age on the 15th", QDate(1949, 1, 15), u"成人の日");
        row("after the range", QDate(2100, 1, 1), u"");
        row("last holiday of the range", QDate(2099, 11, 23), u"勤労感謝の日");
        row("Sunday before substitutes", QDate(1973, 2, 12), u"");
        row("first substitute", QDate(1973, 4, 30), u"振替休日");
        row("old emperor's birthday", QDate(1988, 4, 29), u"天皇誕生日");
        row("greenery day", QDate(1989, 4, 29), u"みどりの日");
        row("showa day", QDate(2007, 4, 29), u"昭和の日");
        row("Sunday between holidays before 2007", QDate(1986, 5, 4), u"");
        row("substitute before a day between", QDate(1987, 5, 4), u"振替休日");
        row("day between holidays", QDate(1988, 5, 4), u"国民の休日");
        row("substitute after two holidays", QDate(2008, 5, 6), u"振替休日");
        row("before enthronement", QDate(2019, 4, 30), u"国民の休日");
        row("enthronement", QDate(2019, 5, 1), u"天皇の即位の日");
        row("after enthronement", QDate(2019, 5, 2), u"国民の休日");
        row("enthronement ceremony", QDate(2019, 10, 22), u"即位礼正殿の儀");
        row("no emperor's birthday in 2019", QDate(2019, 12, 23), u"");
        row("emperor's birthday on a Sunday", QDate(2020, 2, 23), u"天皇誕生日");
        row("its substitute", QDate(2020, 2, 24), u"振替休日");
        row("sports day moved for the games", QDate(2020, 7, 24), u"スポーツの日");
        row("no sports day in October 2021", QDate(2021, 10, 11), u"");
        row("mountain day moved", QDate(2021, 8, 8), u"山の日");
        row("its substitute", QDate(2021, 8, 9), u"振替休日");
        row("between aged and equinox", QDate(2026, 9, 22), u"国民の休日");
        row("marine day, third Monday", QDate(2099, 7, 20), u"海の日");
        row("coming of age, second Monday", QDate(2099, 1, 12), u"成人の日");
        row("not a date", QDate(), u"");
    }
    void rulesAtTheirEdges() {
        QFETCH(QDate, date);
        QFETCH(QString, name);
        QCOMPARE(japaneseHoliday(date), name);
    }

    void equinoxFormulaHoldsFrom1900To2150() {
        QCOMPARE(springEquinoxDay(1899), 0);
        QCOMPARE(autumnEquinoxDay(2151), 0);
        // The equinoxes of 1900 as observed: 21 March and 23 September.
        QCOMPARE(springEquinoxDay(1900), 21);
        QCOMPARE(autumnEquinoxDay(1900), 23);
        for (int year = 1900; year <= 2150; ++year) {
            QVERIFY(springEquinoxDay(year) >= 19 && springEquinoxDay(year) <= 22);
            QVERIFY(autumnEquinoxDay(year) >= 21 && autumnEquinoxDay(year) <= 24);
        }
    }

    void eraOfEveryDayIsIcus() {
        UErrorCode status = U_ZERO_ERROR;
        const icu::Locale japanese("ja_JP@calendar=japanese");
        std::unique_ptr<icu::Calendar> calendar(
            icu::Calendar::createInstance(icu::TimeZone::getGMT()->clone(), japanese, status));
        icu::SimpleDateFormat eraName(icu::UnicodeString(u"GGGG"), japanese, status);
        QVERIFY2(U_SUCCESS(status), u_errorName(status));
        eraName.adoptCalendar(calendar->clone());
        for (QDate day(1873, 1, 1); day.year() <= 2099; day = day.addDays(1)) {
            const UDate at = static_cast<UDate>(day.startOfDay(Qt::UTC).toMSecsSinceEpoch());
            calendar->setTime(at, status);
            icu::UnicodeString name;
            eraName.format(at, name);
            const std::optional<EraYear> ours = japaneseEraOf(day);
            QVERIFY(ours);
            const QString theirs = QString::fromUtf16(name.getBuffer(), name.length());
            const int theirYear = calendar->get(UCAL_YEAR, status);
            QVERIFY2(ours->era == theirs && ours->year == theirYear,
                     qPrintable(day.toString(Qt::ISODate) + QStringLiteral(": ") + ours->text() +
                                QStringLiteral(" / ") + theirs + QString::number(theirYear)));
        }
        QVERIFY2(U_SUCCESS(status), u_errorName(status));
        QVERIFY(!japaneseEraOf(QDate(1872, 12, 31)));
    }

    void eraMonthTitles_data() {
        QTest::addColumn<int>("year");
        QTest::addColumn<int>("month");
        QTest::addColumn<QString>("title");
        QTest::newRow("today") << 2026 << 12 << QStringLiteral("令和8年12月");
        QTest::newRow("first year") << 2019 << 5 << QStringLiteral("令和元年5月");
        QTest::newRow("era changed in the month")
            << 1989 << 1 << QStringLiteral("昭和64年/平成元年1月");
        QTest::newRow("last month of heisei") << 2019 << 4 << QStringLiteral("平成31年4月");
        QTest::newRow("taisho began") << 1912 << 7 << QStringLiteral("明治45年/大正元年7月");
        QTest::newRow("showa began") << 1926 << 12 << QStringLiteral("大正15年/昭和元年12月");
        QTest::newRow("gregorian from") << 1873 << 1 << QStringLiteral("明治6年1月");
        QTest::newRow("before it") << 1872 << 12 << QString();
    }
    void eraMonthTitles() {
        QFETCH(int, year);
        QFETCH(int, month);
        QFETCH(QString, title);
        QCOMPARE(japaneseEraMonth(year, month), title);
    }
};

QTEST_GUILESS_MAIN(TestJapaneseCalendar)
#include "tst_japanese_calendar.moc"
