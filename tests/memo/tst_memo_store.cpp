#include "memo/memo_store.h"
#include "richtext/rtf_reader.h"
#include "search/memo_index.h"
#include "support/fake_clock.h"
#include "support/memo_window.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTextCursor>
#include <QTextDocument>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

using namespace orbeta;

namespace {

const QDate kDay(2026, 12, 8);

// Saves `text` as the day's memo through the store, as the memo window does.
MemoFiles::Saved saveText(MemoStore& store, QDate day, const QString& text) {
    QTextDocument document;
    MemoFiles::Opened opened = store.open(day, document);
    document.setPlainText(text);
    return store.save(day, document, opened);
}

// A socket bound at `path`, as another program might leave one.
void bindSocket(const QString& path) {
    const int listening = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray name = QFile::encodeName(path);
    std::memcpy(address.sun_path, name.constData(), static_cast<std::size_t>(name.size()));
    ::bind(listening, reinterpret_cast<const sockaddr*>(&address), sizeof address);
    ::close(listening);
}

} // namespace

class TestMemoStore : public QObject {
    Q_OBJECT

    QTemporaryDir folder_;
    FakeClock clock_{QDateTime(kDay, QTime(10, 0))};

    QString path(const QString& name) const { return folder_.filePath(name); }
    QStringList versionTexts(const MemoStore& store, QDate day) const {
        QStringList texts;
        for (const MemoHistory::Version& version : store.versionsOf(day))
            texts << textOfFile(path(version.path));
        return texts;
    }

private Q_SLOTS:
    void cleanup() {
        QDir(folder_.path()).removeRecursively();
        QDir().mkpath(folder_.path());
    }

    // Given saves of a memo, each replaced text is kept as a version, newest first, and reads
    // back exactly; a save that changes nothing keeps none; emptying keeps the text.
    void everyReplacedMemoIsKeptAsAVersion() {
        MemoStore store(folder_.path(), clock_);
        QVERIFY(saveText(store, kDay, QStringLiteral("朝: 会議")).ok);
        QVERIFY(store.versionsOf(kDay).isEmpty()); // nothing was replaced
        clock_.set(QDateTime(kDay, QTime(11, 0)));
        QVERIFY(saveText(store, kDay, QStringLiteral("朝: 会議、昼: 歯医者")).ok);
        const MemoFiles::Saved again =
            saveText(store, kDay, QStringLiteral("朝: 会議、昼: 歯医者"));
        QVERIFY(again.ok && again.unchanged);
        clock_.set(QDateTime(kDay, QTime(12, 0)));
        QVERIFY(saveText(store, kDay, QString()).ok);
        QCOMPARE(versionTexts(store, kDay),
                 (QStringList{QStringLiteral("朝: 会議、昼: 歯医者"), QStringLiteral("朝: 会議")}));
        const QList<MemoHistory::Version> versions = store.versionsOf(kDay);
        QCOMPARE(versions.first().path,
                 QStringLiteral(".orbeta-history/20261208.rtf/20261208-120000.rtf"));
        QCOMPARE(versions.first().replacedAt, QDateTime(kDay, QTime(12, 0)));

        // Two saves in one second keep both.
        QVERIFY(saveText(store, kDay, QStringLiteral("a")).ok);
        QVERIFY(saveText(store, kDay, QStringLiteral("b")).ok);
        QCOMPARE(store.versionsOf(kDay).first().path,
                 QStringLiteral(".orbeta-history/20261208.rtf/20261208-120000-2.rtf"));
    }

    // Given a file another program changed while the memo was open, replacing it keeps what
    // the other program wrote.
    void overwritingAnOutsideChangeKeepsIt() {
        MemoStore store(folder_.path(), clock_);
        writeFile(path("20261208.rtf"), "{\\rtf1 mine\\par}");
        QTextDocument document;
        MemoFiles::Opened opened = store.open(kDay, document);
        writeFile(path("20261208.rtf"), "{\\rtf1 theirs\\par}");
        QVERIFY(store.changedSince(kDay, opened));
        QTextCursor(&document).insertText(QStringLiteral("edited "));
        QVERIFY(store.save(kDay, document, opened).ok);
        QCOMPARE(versionTexts(store, kDay), QStringList{QStringLiteral("theirs")});
        QCOMPARE(textOfFile(path("20261208.rtf")), QStringLiteral("edited mine"));
    }

    // Versions younger than 30 days stay, and beyond them the newest 20; the newest always, and
    // never a memo file, nor a file whose name gives no real time.
    void pruningKeepsTheRecentAndTheNewest() {
        MemoStore store(folder_.path(), clock_);
        writeFile(path("20261208.rtf"), "{\\rtf1 memo\\par}");
        QVERIFY(QDir(folder_.path()).mkpath(QStringLiteral(".orbeta-history/20261208.rtf")));
        const QString noTime = path(".orbeta-history/20261208.rtf/20261131-250000.rtf");
        writeFile(noTime, "{\\rtf1 not a version}");
        QVERIFY(!store.hasVersions(kDay));
        const auto keepOn = [&](QDate day) {
            clock_.set(QDateTime(day, QTime(9, 0)));
            const QByteArray bytes = "{\\rtf1 " + day.toString(Qt::ISODate).toLatin1() + "}";
            return store.history().keep(QStringLiteral("20261208.rtf"), bytes, 0644).ok;
        };
        for (int i = 0; i < 30; ++i) // one a day, 60 to 31 days ago
            QVERIFY(keepOn(kDay.addDays(-60 + i)));
        for (int i = 0; i < 5; ++i) // five in the last days
            QVERIFY(keepOn(kDay.addDays(-5 + i)));
        clock_.set(QDateTime(kDay, QTime(10, 0)));
        store.history().prune(QStringLiteral("20261208.rtf"));
        const QList<MemoHistory::Version> kept = store.versionsOf(kDay);
        QCOMPARE(kept.size(), 20); // 5 recent, and the 15 newest of the old ones
        QCOMPARE(kept.last().replacedAt.date(), kDay.addDays(-45));

        // All of them old: the newest 20 stay.
        clock_.set(QDateTime(kDay.addYears(1), QTime(10, 0)));
        store.history().prune(QStringLiteral("20261208.rtf"));
        QCOMPARE(store.versionsOf(kDay).size(), 20);
        QVERIFY(store.hasVersions(kDay));
        QCOMPARE(readFile(path("20261208.rtf")), QByteArray("{\\rtf1 memo\\par}"));
        QVERIFY(QFile::exists(noTime));
    }

    // A pipe, a socket and a device named like memos are neither opened nor waited for: the
    // memo says why, and the readable memos beside them are read.
    void onlyRegularFilesAreRead() {
        QVERIFY(::mkfifo(QFile::encodeName(path("20261208.rtf")).constData(), 0600) == 0);
        bindSocket(path("20261209.rtf"));
        QVERIFY(QFile::link("/dev/zero", path("20261210.rtf")));
        writeFile(path("20261211.rtf"), "{\\rtf1 readable\\par}");
        MemoStore store(folder_.path(), clock_);
        QElapsedTimer clock;
        clock.start();
        QTextDocument document;
        const MemoFiles::Opened pipe = store.open(kDay, document);
        QCOMPARE(pipe.found, MemoFiles::Found::Unreadable);
        QCOMPARE(pipe.reason, QStringLiteral("通常のファイルではありません（名前付きパイプ）"));
        QCOMPARE(store.open(kDay.addDays(1), document).reason,
                 QStringLiteral("通常のファイルではありません（ソケット）"));
        QCOMPARE(store.open(kDay.addDays(2), document).reason,
                 QStringLiteral("通常のファイルではありません（デバイス）"));
        QVERIFY(!saveText(store, kDay, QStringLiteral("x")).ok); // the pipe is not replaced

        search::MemoIndex index(store);
        QTRY_VERIFY(!index.reading());
        QCOMPARE(index.filesRead(), index.fileCount());
        const QList<search::MemoIndex::Entry> found = index.search({QStringLiteral("readable")});
        QCOMPARE(found.size(), 1);
        QCOMPARE(found.first().day, kDay.addDays(3));
        QVERIFY(store.month(2026, 12).value(8).saysSomething); // what cannot be read may say much
        QVERIFY(clock.elapsed() < 5000);
    }

    // The calendar's marks are read off the window thread: there, only the memo being opened
    // is read.
    void memosAreReadOffTheWindowThread() {
        for (int day = 1; day <= 31; ++day)
            writeFile(path(memoSaveName(QDate(2026, 12, day))), "{\\rtf1 memo\\par}");
        const int before = MemoFolder::readsOnWindowThread();
        MemoStore store(folder_.path(), clock_);
        store.month(2026, 12);
        QTRY_VERIFY(store.month(2026, 12).value(31).saysSomething);
        QCOMPARE(MemoFolder::readsOnWindowThread(), before);
        QTextDocument document;
        store.open(kDay, document);
        QCOMPARE(MemoFolder::readsOnWindowThread(), before + 1);
    }

    // Where the folder cannot be watched, the month on view is looked at every few seconds,
    // and the folder itself is not listed each time.
    void withoutNoticesTheMonthIsLookedAt() {
        writeFile(path("20261208.rtf"), "{\\rtf1 before\\par}");
        MemoStore store(folder_.path(), clock_, nullptr, MemoStore::Watch::Looks);
        QVERIFY(!store.watching());
        QTRY_COMPARE(store.month(2026, 12).value(8).firstLines, QStringLiteral("before"));
        writeFile(path("20261208.rtf"), "{\\rtf1 after, longer\\par}");
        writeFile(path("2026129.rtf"), "{\\rtf1 new\\par}");
        QTRY_VERIFY_WITH_TIMEOUT(store.month(2026, 12).value(8).firstLines ==
                                         QStringLiteral("after, longer") &&
                                     store.month(2026, 12).value(9).saysSomething,
                                 2 * MemoStore::kLookEveryMs + 1000);
    }

    // Earlier versions are no memos: neither the calendar nor the search takes them for one.
    void theHistoryFolderIsNoMemo() {
        const QString kept = path(".orbeta-history/20261208.rtf");
        QVERIFY(QDir().mkpath(kept));
        for (int i = 0; i < 200; ++i)
            writeFile(kept + QStringLiteral("/20261201-%1.rtf").arg(100000 + i), "{\\rtf1 old}");
        writeFile(kept + QStringLiteral("/2026129.rtf"), "{\\rtf1 old}");
        writeFile(path(".orbeta-history/2026129.rtf"), "{\\rtf1 old}");
        MemoStore store(folder_.path(), clock_);
        search::MemoIndex index(store);
        QTRY_VERIFY(!index.reading());
        QCOMPARE(index.fileCount(), 0);
        QVERIFY(store.month(2026, 12).isEmpty());
    }
};

QTEST_MAIN(TestMemoStore)
#include "tst_memo_store.moc"
