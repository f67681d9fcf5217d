#include "search/memo_index.h"
#include "store/memo_names.h"
#include "store/memo_store.h"
#include "store/memo_version.h"
#include "store/sync_copies.h"
#include "support/fake_clock.h"
#include "support/memo_window.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <unistd.h>

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

    // A copy whose name is not valid UTF-8 is marked and found, and its name is shown with the
    // byte that did not decode; characters that turn or hide text are shown as their codes, so
    // that a copy cannot pass for another name; a link to a large file inside the folder shows
    // that file's size; thousands of copies are summed up in the tooltip's summary.
    void copiesWhateverTheirNames() {
        QTemporaryDir folder;
        FakeClock clock(QDateTime(QDate(2026, 5, 12), QTime(9, 0)));
        const QByteArray latin1 = "2026512 (J\xF6rg's conflicted copy 2026-05-12).rtf";
        const int written =
            ::open((folder.path().toUtf8() + '/' + latin1).constData(), O_WRONLY | O_CREAT, 0644);
        QVERIFY(written >= 0);
        const QByteArray text = "{\\rtf1 from the other machine\\par}";
        QCOMPARE(::write(written, text.constData(), std::size_t(text.size())),
                 ssize_t(text.size()));
        ::close(written);
        const QString turned =
            QStringLiteral("2026513 (\u202Efdp.exe's conflicted copy 2026-05-13).rtf");
        writeFile(folder.filePath(turned), "{\\rtf1 turned\\par}");
        QFile large(folder.filePath("large.rtf"));
        QVERIFY(large.open(QIODevice::WriteOnly) && large.resize(qint64(4) << 30));
        large.close();
        QVERIFY(QFile::link("large.rtf", folder.filePath("2026514.Conflict.rtf")));
        for (int i = 1; i <= 5000; ++i)
            writeFile(folder.filePath(QString("2026515.Conflict%1.rtf").arg(i)), "{\\rtf1 x}");

        MemoStore store(folder.path(), clock);
        search::MemoIndex index(store);
        QTRY_VERIFY_WITH_TIMEOUT(!index.reading(), 30000);
        const QList<search::MemoIndex::Entry> found =
            index.search({QStringLiteral("other"), QStringLiteral("machine")});
        QCOMPARE(found.size(), 1);
        QCOMPARE(found.first().day, QDate(2026, 5, 12));
        const QList<MemoVersion> copies = store.versionsOf(QDate(2026, 5, 12));
        QCOMPARE(copies.size(), 1);
        QCOMPARE(copies.first().name, QStringLiteral("2026512 (J⟨0xF6⟩rg's conflicted copy "
                                                     "2026-05-12).rtf"));
        QVERIFY(store.read(copies.first()).problem.isEmpty());
        const QList<MemoVersion> turnedCopy = store.versionsOf(QDate(2026, 5, 13));
        QCOMPARE(turnedCopy.size(), 1);
        QCOMPARE(turnedCopy.first().name,
                 QStringLiteral("2026513 (⟨U+202E⟩fdp.exe's conflicted copy 2026-05-13).rtf"));
        const QList<MemoVersion> linked = store.versionsOf(QDate(2026, 5, 14));
        QCOMPARE(linked.size(), 1);
        QCOMPARE(linked.first().size, qint64(4) << 30);
        const MemoStore::DaySummary many = store.month(2026, 5).value(15);
        QCOMPARE(many.copies.size(), MemoStore::kCopiesNamed);
        QCOMPARE(many.moreCopies, 5000 - MemoStore::kCopiesNamed);
    }
};

QTEST_MAIN(TestSyncCopies)
#include "tst_sync_copies.moc"
