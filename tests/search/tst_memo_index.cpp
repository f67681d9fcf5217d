#include "search/memo_index.h"
#include "search/text_folding.h"
#include "store/memo_store.h"
#include "support/fake_clock.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>

using namespace orbeta;
using namespace orbeta::search;

namespace {

QList<QDate> found(const MemoIndex& index, const QString& query, QDate sameDay = {}) {
    QList<QDate> days;
    for (const MemoIndex::Entry& entry : index.search(searchTerms(query), sameDay))
        days << entry.day;
    return days;
}

} // namespace

class TestMemoIndex : public QObject {
    Q_OBJECT

    QTemporaryDir folder_;
    FakeClock clock_{QDateTime(QDate(2026, 12, 8), QTime(9, 0))};

    void write(const QString& name, const QByteArray& bytes) {
        QFile file(folder_.filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(bytes), bytes.size());
    }

    static void waitForReading(const MemoIndex& index) {
        QTRY_VERIFY(!index.reading());
        QCOMPARE(index.filesRead(), index.fileCount());
    }

private Q_SLOTS:
    void init() {
        for (const QString& name : QDir(folder_.path()).entryList(QDir::Files))
            QFile::remove(folder_.filePath(name));
    }

    void findsMemosAsTheCalendarOpensThem() {
        write("1999327.rtf", "{\\rtf1 \\u20250?\\u35696? in the morning\\par}");  // 会議
        write("19990112.rtf", "{\\rtf1\\ansi\\ansicpg932 \\'83\\'70\\'83\\'93}"); // パン
        write("1999111.rtf", "{\\rtf1 shared}"); // 11 January and 1 November, as older versions
        write("2000111.rtf", "{\\rtf1 shared}"); // ...but 11 January 2000 has its own file
        write("20000111.rtf", "{\\rtf1 own}");
        write("1999328.rtf", QByteArray("\xFF\xFE\xE6\x30\xCB\x30\xB3\x30\xFC\x30\xC9\x30", 12));
        write("1999329.rtf", "{\\rtf1 \\u22730?\\u12428? and then the file ends"); // 壊れ
        write("1999330.rtf", "{\\rtf1 " + QByteArray(200000, '{') + "\\bin999999999 \xFF");
        write("notes.rtf", "{\\rtf1 shared}");
        write("1999327.txt", "{\\rtf1 shared}");

        MemoStore store(folder_.path(), clock_);
        MemoIndex index(store);
        waitForReading(index);
        QCOMPARE(found(index, u"かいぎ 朝"_qs), QList<QDate>{});
        QCOMPARE(found(index, u"会議 MORNING"_qs), QList<QDate>{QDate(1999, 3, 27)});
        QCOMPARE(found(index, u"ぱん"_qs), QList<QDate>{QDate(1999, 1, 12)});
        QCOMPARE(found(index, u"shared"_qs),
                 (QList<QDate>{QDate(2000, 11, 1), QDate(1999, 11, 1), QDate(1999, 1, 11)}));
        QCOMPARE(found(index, u"own"_qs), QList<QDate>{QDate(2000, 1, 11)});
        QCOMPARE(found(index, u"ゆにこーど"_qs), QList<QDate>{QDate(1999, 3, 28)});
        QCOMPARE(found(index, u"壊れ"_qs), QList<QDate>{QDate(1999, 3, 29)});

        const QList<QDate> all = found(index, {});
        QCOMPARE(all.size(), 9);
        QVERIFY(std::is_sorted(all.cbegin(), all.cend(), std::greater<>()));
        QVERIFY(all.contains(QDate(1999, 3, 30)));
        QCOMPARE(found(index, {}, QDate(2026, 11, 1)),
                 (QList<QDate>{QDate(2000, 11, 1), QDate(1999, 11, 1)}));
    }

    // Searching begun while the calendar's month is still being read: the month's memos, read
    // for the calendar only, are read again for searching, and reading comes to its end.
    void findsTheMonthOnViewWhenSearchingBeginsWhileItIsRead() {
        for (int day = 1; day <= 28; ++day)
            write(QStringLiteral("19993%1.rtf").arg(day), "{\\rtf1 apple}");
        write("1999427.rtf", "{\\rtf1 apple}");
        MemoStore store(folder_.path(), clock_);
        QSignalSpy changed(&store, &MemoStore::daysChanged);
        store.month(1999, 3);
        QVERIFY(changed.wait()); // listed: the month's files are being read now
        QVERIFY(store.reading());
        MemoIndex index(store);
        waitForReading(index);
        QCOMPARE(found(index, u"apple"_qs).size(), 29);
    }

    void followsChangesFromOtherPrograms() {
        write("1999327.rtf", "{\\rtf1 apple}");
        write("1999328.rtf", "{\\rtf1 banana}");
        MemoStore store(folder_.path(), clock_);
        MemoIndex index(store);
        waitForReading(index);
        QCOMPARE(found(index, u"apple"_qs), QList<QDate>{QDate(1999, 3, 27)});

        write("1999327.rtf", "{\\rtf1 cherry}");
        QVERIFY(QFile::remove(folder_.filePath("1999328.rtf")));
        write("1999329.rtf", "{\\rtf1 apple pie}");
        // Seen as it happens, or at the next look.
        index.refresh();
        QTRY_VERIFY(!index.memoOf(QDate(1999, 3, 28)) && !index.reading());
        QTRY_COMPARE(found(index, u"cherry"_qs), QList<QDate>{QDate(1999, 3, 27)});
        QCOMPARE(found(index, u"apple"_qs), QList<QDate>{QDate(1999, 3, 29)});
        QCOMPARE(found(index, u"cherry"_qs), QList<QDate>{QDate(1999, 3, 27)});
        QCOMPARE(found(index, u"banana"_qs), QList<QDate>{});
        QVERIFY(!index.memoOf(QDate(1999, 3, 28)));
    }

    // What the program saved is found at once, and a look at the folder that began before the
    // save does not take it back.
    void aMemoSavedInTheProgramIsFoundAtOnce() {
        for (int day = 1; day <= 28; ++day)
            write(QStringLiteral("19992%1.rtf").arg(day), "{\\rtf1 february}");
        MemoStore store(folder_.path(), clock_);
        MemoIndex index(store);
        QTextDocument document;
        document.setPlainText(u"新しいメモ"_qs);
        const QDate day(1999, 3, 27);
        OpenedMemo opened = store.open(day, document);
        document.setPlainText(u"新しいメモ"_qs);
        QVERIFY(store.save(opened, document).ok);
        QCOMPARE(found(index, u"めも"_qs), QList<QDate>{day});
        waitForReading(index);
        QCOMPARE(found(index, u"めも"_qs), QList<QDate>{day});
        QCOMPARE(found(index, u"february"_qs).size(), 28);

        document.setPlainText(u"書き直した"_qs);
        QVERIFY(store.save(opened, document).ok);
        QCOMPARE(found(index, u"めも"_qs), QList<QDate>{});
        QCOMPARE(found(index, u"書き直し"_qs), QList<QDate>{day});
    }
};

QTEST_GUILESS_MAIN(TestMemoIndex)
#include "tst_memo_index.moc"
