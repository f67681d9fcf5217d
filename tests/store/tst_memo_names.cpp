#include "store/memo_names.h"

#include <QTest>

using namespace orbeta;

class TestMemoNames : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void plainNamesJoinTheNumbers_data() {
        QTest::addColumn<int>("year");
        QTest::addColumn<int>("month");
        QTest::addColumn<int>("day");
        QTest::addColumn<QString>("name");
        QTest::newRow("27 March 1999") << 1999 << 3 << 27 << "1999327.rtf";
        QTest::newRow("1 January 2000") << 2000 << 1 << 1 << "200011.rtf";
        QTest::newRow("31 December 1999") << 1999 << 12 << 31 << "19991231.rtf";
        QTest::newRow("5 July 1999") << 1999 << 7 << 5 << "199975.rtf";
        QTest::newRow("15 May 1999") << 1999 << 5 << 15 << "1999515.rtf";
        QTest::newRow("first day of the range") << 1753 << 1 << 1 << "175311.rtf";
        QTest::newRow("last day of the range") << 9999 << 12 << 31 << "99991231.rtf";
        QTest::newRow("12 January shares with 2 November") << 1999 << 1 << 12 << "1999112.rtf";
        QTest::newRow("2 November") << 1999 << 11 << 2 << "1999112.rtf";
    }
    void plainNamesJoinTheNumbers() {
        QFETCH(int, year);
        QFETCH(int, month);
        QFETCH(int, day);
        QFETCH(QString, name);
        QCOMPARE(MemoFileName(year, month, day), name);
    }

    void exactlyTheDaysThatShareANameAreSavedUnderTheirOwn() {
        // Every day of two years, one of them a leap year: no two days may save to one name,
        // and only the days that share a plain name leave it.
        QHash<QString, QDate> savedBy;
        QHash<QString, int> plainUses;
        for (QDate day(1999, 1, 1); day <= QDate(2000, 12, 31); day = day.addDays(1))
            ++plainUses[MemoFileName(day.year(), day.month(), day.day())];
        int sharing = 0;
        for (QDate day(1999, 1, 1); day <= QDate(2000, 12, 31); day = day.addDays(1)) {
            const QString plain = MemoFileName(day.year(), day.month(), day.day());
            const QString saved = memoSaveName(day);
            QVERIFY2(!savedBy.contains(saved), qPrintable(saved + " saved twice"));
            savedBy.insert(saved, day);
            QCOMPARE(sharesMemoFileName(day), plainUses.value(plain) > 1);
            if (sharesMemoFileName(day)) {
                ++sharing;
                QCOMPARE(saved, day.toString("yyyyMMdd") + ".rtf");
                QCOMPARE(memoReadNames(day), (QStringList{saved, plain}));
            } else {
                QCOMPARE(saved, plain);
                QCOMPARE(memoReadNames(day), QStringList{plain});
            }
        }
        QCOMPARE(sharing, 2 * 36);
        // A zero-padded name is no day's plain name.
        for (auto it = savedBy.cbegin(); it != savedBy.cend(); ++it)
            if (sharesMemoFileName(it.value()))
                QVERIFY(!plainUses.contains(it.key()));
    }

    void sharedDaysAtTheEdgesOfTheRange() {
        QCOMPARE(memoSaveName(QDate(1753, 1, 11)), QString("17530111.rtf"));
        QCOMPARE(memoSaveName(QDate(9999, 12, 9)), QString("99991209.rtf"));
        QCOMPARE(memoSaveName(QDate(9999, 12, 10)), QString("99991210.rtf"));
        QCOMPARE(memoReadNames(QDate(2000, 11, 1)), (QStringList{"20001101.rtf", "2000111.rtf"}));
    }
};

QTEST_APPLESS_MAIN(TestMemoNames)
#include "tst_memo_names.moc"
