#include "richtext/rtf_reader.h"
#include "search/memo_index.h"
#include "store/memo_folder.h"
#include "store/memo_names.h"
#include "store/memo_store.h"
#include "store/memo_versions.h"
#include "support/fake_clock.h"
#include "support/memo_window.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

using namespace orbeta;

namespace {

const QDate kDay(2026, 12, 8);

// Saves `text` as the day's memo through the store, as the memo window does.
SaveResult saveText(MemoStore& store, QDate day, const QString& text) {
    QTextDocument document;
    OpenedMemo opened = store.open(day, document);
    document.setPlainText(text);
    return store.save(opened, document);
}

// A version's file name, as the store names one made at this local time.
QString versionFile(const QDateTime& at, const QString& tail = QStringLiteral(".rtf")) {
    return at.toUTC().toString(QStringLiteral("yyyyMMdd-HHmmss")) + u'Z' + tail;
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
        for (const MemoVersion& version : store.versionsOf(day))
            texts << textOfFile(path(version.id));
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
        const SaveResult again = saveText(store, kDay, QStringLiteral("朝: 会議、昼: 歯医者"));
        QVERIFY(again.ok && again.unchanged);
        clock_.set(QDateTime(kDay, QTime(12, 0)));
        QVERIFY(saveText(store, kDay, QString()).ok);
        QCOMPARE(versionTexts(store, kDay),
                 (QStringList{QStringLiteral("朝: 会議、昼: 歯医者"), QStringLiteral("朝: 会議")}));
        const QList<MemoVersion> versions = store.versionsOf(kDay);
        QCOMPARE(versions.first().id, QStringLiteral(".orbeta-history/20261208.rtf/") +
                                          versionFile(QDateTime(kDay, QTime(12, 0))));
        QCOMPARE(versions.first().madeAt, QDateTime(kDay, QTime(12, 0)));

        // Two saves in one second keep both.
        QVERIFY(saveText(store, kDay, QStringLiteral("a")).ok);
        QVERIFY(saveText(store, kDay, QStringLiteral("b")).ok);
        QCOMPARE(store.versionsOf(kDay).first().id,
                 QStringLiteral(".orbeta-history/20261208.rtf/") +
                     versionFile(QDateTime(kDay, QTime(12, 0)), QStringLiteral("-2.rtf")));
    }

    // Given a file another program changed while the memo was open, replacing it keeps what
    // the other program wrote.
    void overwritingAnOutsideChangeKeepsIt() {
        MemoStore store(folder_.path(), clock_);
        writeFile(path("20261208.rtf"), "{\\rtf1 mine\\par}");
        QTextDocument document;
        OpenedMemo opened = store.open(kDay, document);
        writeFile(path("20261208.rtf"), "{\\rtf1 theirs\\par}");
        QVERIFY(store.changedSince(opened));
        QTextCursor(&document).insertText(QStringLiteral("edited "));
        QVERIFY(store.save(opened, document).ok);
        QCOMPARE(versionTexts(store, kDay), QStringList{QStringLiteral("theirs")});
        QCOMPARE(textOfFile(path("20261208.rtf")), QStringLiteral("edited mine"));
    }

    // What pruning keeps: every version of the last day, the newest of each hour of the last
    // 30 days, the newest 20 older ones (however many young ones there are), the newest always;
    // a version from a clock that was once years ahead is no young one for good; never a memo
    // file, nor a file whose name gives no real time.
    void pruningKeepsWhatTheRulesSay() {
        auto folder = std::make_shared<const MemoFolder>(folder_.path());
        MemoVersions versions(folder, clock_);
        const QString memo = QStringLiteral("20261208.rtf");
        writeFile(path(memo), "{\\rtf1 memo\\par}");
        QVERIFY(QDir(folder_.path()).mkpath(QStringLiteral(".orbeta-history/20261208.rtf")));
        const QString noTime = path(".orbeta-history/20261208.rtf/20261131-250000.rtf");
        writeFile(noTime, "{\\rtf1 not a version}");
        QVERIFY(!versions.any(memo));
        const QDateTime now(kDay, QTime(10, 0));
        const auto keepAt = [&](const QDateTime& at) {
            clock_.set(at);
            return versions
                .addBytes(memo, "{\\rtf1 " + at.toString(Qt::ISODate).toLatin1() + "}", 0644)
                .ok;
        };
        QVERIFY(keepAt(now.addYears(3))); // a clock once ahead
        for (int day = 60; day > 30; --day)
            QVERIFY(keepAt(now.addDays(-day)));
        for (int minutes = 0; minutes < 5 * 60; minutes += 20) // 15 in five hours, two days ago
            QVERIFY(keepAt(now.addDays(-2).addSecs(minutes * 60)));
        for (int hour = 1; hour <= 10; ++hour) // 10 in the last day
            QVERIFY(keepAt(now.addSecs(-hour * 3600)));
        clock_.set(now);
        versions.prune(memo);
        const QList<MemoVersions::Version> kept = versions.list(memo);
        QCOMPARE(kept.size(), 10 + 5 + 20);
        QCOMPARE(kept.first().madeAt, now.addYears(3).toUTC()); // newest by its name
        QCOMPARE(kept.last().madeAt, now.addDays(-49).toUTC()); // 19 old ones beside it
        QCOMPARE(std::count_if(kept.cbegin(), kept.cend(),
                               [&](const auto& v) { return v.madeAt.daysTo(now) == 2; }),
                 5);

        // All of them old: the newest 20 stay.
        clock_.set(now.addYears(10));
        versions.prune(memo);
        QCOMPARE(versions.list(memo).size(), 20);
        QCOMPARE(readFile(path(memo)), QByteArray("{\\rtf1 memo\\par}"));
        QVERIFY(QFile::exists(noTime));
    }

    // A pipe, a socket and a link to a device named like memos are neither opened nor waited
    // for: the memo says why, and the readable memos beside them are read.
    void onlyRegularFilesAreRead() {
        QVERIFY(::mkfifo(QFile::encodeName(path("20261208.rtf")).constData(), 0600) == 0);
        bindSocket(path("20261209.rtf"));
        QVERIFY(QFile::link("/dev/zero", path("20261210.rtf")));
        writeFile(path("20261211.rtf"), "{\\rtf1 readable\\par}");
        MemoStore store(folder_.path(), clock_);
        QElapsedTimer clock;
        clock.start();
        QTextDocument document;
        const OpenedMemo pipe = store.open(kDay, document);
        QCOMPARE(pipe.found, OpenedMemo::Found::Unreadable);
        QCOMPARE(pipe.reason, QStringLiteral("通常のファイルではありません（名前付きパイプ）"));
        QCOMPARE(store.open(kDay.addDays(1), document).reason,
                 QStringLiteral("通常のファイルではありません（ソケット）"));
        // A link that leads out of the folder is not followed at all.
        QCOMPARE(store.open(kDay.addDays(2), document).reason,
                 QStringLiteral("メモのフォルダーの外を指すリンクです"));
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

    // A look at a file begun before a save, and delivered after it, does not put the old text
    // back: the calendar and the search go on showing what was saved.
    void aReadBegunBeforeASaveDoesNotUndoIt() {
        writeFile(path("20261208.rtf"), "{\\rtf1 before\\par}");
        MemoStore store(folder_.path(), clock_);
        QTRY_VERIFY(!store.reading());
        QTextDocument document;
        OpenedMemo opened = store.open(kDay, document);
        document.setPlainText(QStringLiteral("after"));
        const int readsBefore = MemoFolder::reads();
        store.month(2026, 12); // the memo is read off this thread
        QVERIFY(QTest::qWaitFor([&] { return MemoFolder::reads() > readsBefore; }));
        // Read, and not yet delivered: this thread has not run its events since.
        QVERIFY(store.save(opened, document).ok);
        QTRY_VERIFY(!store.reading());
        QCOMPARE(store.month(2026, 12).value(8).firstLines, QStringLiteral("after"));
    }

    // Text kept at an unchosen end goes to the user's own state folder when it cannot go beside
    // the memo (the folder was deleted, here), privately, and the memo offers it there.
    void unsavedTextGoesToTheStateFolderWhenTheMemoFolderCannotTakeIt() {
        const QString memos = path("memos");
        const QString state = path("state");
        QVERIFY(QDir().mkpath(memos));
        MemoStore store(memos, clock_, nullptr, MemoStore::Watch::Notices, state);
        QTextDocument document;
        document.setPlainText(QStringLiteral("書きかけ"));
        QVERIFY(QDir(memos).removeRecursively());
        QString where;
        const SaveOutcome kept = store.writeRecovery(kDay, document, &where);
        QVERIFY2(kept.ok, qPrintable(kept.reason));
        QVERIFY2(where.startsWith(state + "/orbeta/unsaved/folder-"), qPrintable(where));
        QCOMPARE(QFileInfo(where).permissions() & ~(QFile::ReadUser | QFile::WriteUser),
                 QFile::ReadOwner | QFile::WriteOwner);
        QCOMPARE(QFileInfo(QFileInfo(where).path()).permissions() &
                     (QFile::ReadGroup | QFile::ReadOther | QFile::ExeGroup | QFile::ExeOther),
                 QFileDevice::Permissions());
        const std::optional<MemoVersion> offered = store.recoveryOf(kDay);
        QVERIFY(offered);
        QCOMPARE(offered->kind, MemoVersion::Kind::Journal);
        QTextDocument back;
        rtf::readRtf(store.read(*offered).bytes, back);
        QCOMPARE(back.toPlainText(), QStringLiteral("書きかけ"));
    }

    // Of text kept at unchosen ends, the newest is offered: by time and then by its number in
    // the second, never by the order of names; a pipe named like a newer one is passed over.
    void theNewestRecoveryIsOfferedAndAPipeIsPassedOver() {
        writeFile(path("20261208.recovered-20261208-090000.rtf"), "{\\rtf1 first\\par}");
        writeFile(path("20261208.recovered-20261208-090000-1.rtf"), "{\\rtf1 second\\par}");
        writeFile(path("20261208.recovered-20261208-090000-10.rtf"), "{\\rtf1 eleventh\\par}");
        writeFile(path("20261208.recovered-20261208-090000-9.rtf"), "{\\rtf1 tenth\\par}");
        QVERIFY(::mkfifo(QFile::encodeName(path("20261208.recovered-20261208-100000.rtf")), 0600) ==
                0);
        MemoStore store(folder_.path(), clock_);
        QTRY_VERIFY(!store.reading());
        const std::optional<MemoVersion> offered = store.recoveryOf(kDay);
        QVERIFY(offered);
        QCOMPARE(offered->id, QStringLiteral("20261208.recovered-20261208-090000-10.rtf"));
        QVERIFY(store.read(*offered).problem.isEmpty());
    }

    // The folder's notices are passed on within a moment even while other files of the folder
    // are written all the time (a busy home folder): names that are no memo's do not hold them
    // back.
    void changesAreSeenInABusyFolder() {
        MemoStore store(folder_.path(), clock_);
        QVERIFY(store.watching());
        QTRY_VERIFY(!store.reading());
        store.month(2026, 12);
        QTimer busy;
        int written = 0;
        connect(&busy, &QTimer::timeout, this,
                [&] { writeFile(path("busy.log"), QByteArray::number(++written)); });
        busy.start(20);
        QTRY_VERIFY(written > 3);
        writeFile(path("20261208.rtf"), "{\\rtf1 seen\\par}");
        QTRY_COMPARE(store.month(2026, 12).value(8).firstLines, QStringLiteral("seen"));
        busy.stop();
    }
};

QTEST_MAIN(TestMemoStore)
#include "tst_memo_store.moc"
