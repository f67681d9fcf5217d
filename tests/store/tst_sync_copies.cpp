#include "search/memo_index.h"
#include "store/memo_names.h"
#include "store/memo_store.h"
#include "store/sync_copies.h"
#include "support/fake_clock.h"
#include "support/memo_window.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace orbeta;

class TestSyncCopies : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Each sync tool's name for a copy of the memo 2026512.rtf (12 May 2026), or of a padded
    // name, is a copy of that memo; near misses, names that can be real ones and the digits of
    // no memo are not.
    void namesOfCopies_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("memo");
        QTest::addColumn<QString>("tool");
        QTest::addColumn<QDateTime>("madeAt");
        const QDateTime at(QDate(2026, 5, 12), QTime(10, 15, 30));
        const QDateTime day(QDate(2026, 5, 12), QTime(0, 0));
        QTest::newRow("Syncthing") << "2026512.sync-conflict-20260512-101530-ABCDEFG.rtf"
                                   << "2026512.rtf"
                                   << "Syncthing" << at;
        QTest::newRow("Syncthing, padded name")
            << "20261208.sync-conflict-20260512-101530-ABCDEFG.rtf"
            << "20261208.rtf"
            << "Syncthing" << at;
        QTest::newRow("Nextcloud") << "2026512 (conflicted copy 2026-05-12 101530).rtf"
                                   << "2026512.rtf"
                                   << "Nextcloud" << at;
        QTest::newRow("Nextcloud with a user")
            << "2026512 (conflicted copy hana 2026-05-12 101530).rtf"
            << "2026512.rtf"
            << "Nextcloud" << at;
        QTest::newRow("ownCloud, older") << "2026512_conflict-20260512-101530.rtf"
                                         << "2026512.rtf"
                                         << "Nextcloud" << at;
        QTest::newRow("Dropbox") << "2026512 (Hana's conflicted copy 2026-05-12).rtf"
                                 << "2026512.rtf"
                                 << "Dropbox" << day;
        QTest::newRow("Dropbox in Japanese") << "2026512 (花子 の競合コピー 2026-05-12).rtf"
                                             << "2026512.rtf"
                                             << "Dropbox" << day;
        QTest::newRow("Resilio Sync") << "2026512.Conflict.rtf"
                                      << "2026512.rtf"
                                      << "Resilio Sync" << QDateTime();
        QTest::newRow("Resilio Sync, numbered") << "2026512.Conflict3.rtf"
                                                << "2026512.rtf"
                                                << "Resilio Sync" << QDateTime();
        // Not copies.
        for (const char* name :
             {"2026512 (1).rtf", "2026512.rtf", "2026512.sync-conflict-20260512-101530-ABCDEFG.txt",
              "2026512.sync-conflict-20260512-101530.rtf", "x2026512.Conflict.rtf",
              "2026512.conflict.rtf", "2026512 (conflicted copy 2026-05-12).rtf",
              "20265.Conflict.rtf", "20261332.Conflict.rtf", "2026512.Conflicts.rtf",
              "2026512 (Hana's conflicted copy 2026-05-12) (1).rtf", "2026512.rtf.Conflict.rtf"})
            QTest::newRow(name) << name << QString() << QString() << QDateTime();
    }
    void namesOfCopies() {
        QFETCH(QString, name);
        QFETCH(QString, memo);
        QFETCH(QString, tool);
        QFETCH(QDateTime, madeAt);
        const std::optional<SyncCopy> copy = syncCopyOf(name);
        QCOMPARE(copy.has_value(), !memo.isEmpty());
        if (!copy)
            return;
        QCOMPARE(copy->memoName, memo);
        QCOMPARE(copy->tool, tool);
        QCOMPARE(copy->madeAt, madeAt);
        QCOMPARE(copy->days, daysReadFrom(memo));
    }

    // Given a word that only a copy holds, the search finds the copy under its day, marked; when
    // the copy goes, it goes from the list and the calendar.
    void copiesAreSearchedAndFollowed() {
        QTemporaryDir folder;
        FakeClock clock(QDateTime(QDate(2026, 5, 12), QTime(9, 0)));
        writeFile(folder.filePath("2026512.rtf"), "{\\rtf1 desktop\\par}");
        const QString copy = folder.filePath("2026512 (conflicted copy 2026-05-12 101530).rtf");
        writeFile(copy, "{\\rtf1 laptop\\par}");
        MemoStore store(folder.path(), clock);
        search::MemoIndex index(store);
        QTRY_VERIFY(!index.reading() && index.filesRead() == 2);
        const QList<search::MemoIndex::Entry> found = index.search({QStringLiteral("laptop")});
        QCOMPARE(found.size(), 1);
        QCOMPARE(found.first().day, QDate(2026, 5, 12));
        QVERIFY(found.first().copy);
        QCOMPARE(store.month(2026, 5).value(12).copies.size(), 1);

        QVERIFY(QFile::remove(copy));
        QTRY_VERIFY(index.search({QStringLiteral("laptop")}).isEmpty());
        QVERIFY(store.month(2026, 5).value(12).copies.isEmpty());
    }
};

QTEST_MAIN(TestSyncCopies)
#include "tst_sync_copies.moc"
