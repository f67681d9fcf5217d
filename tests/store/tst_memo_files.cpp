#include "memo/memo_notice.h"
#include "richtext/rtf_writer.h"
#include "store/journal.h"
#include "store/memo_folder.h"
#include "store/memo_limits.h"
#include "store/memo_store.h"
#include "store/memo_text.h"
#include "store/new_file.h"
#include "support/fake_clock.h"
#include "support/memo_window.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace orbeta;

namespace {

QPair<quint64, quint64> statOf(const QString& path) {
    struct stat status {};
    if (::stat(QFile::encodeName(path).constData(), &status) != 0)
        return {};
    return {status.st_dev, status.st_ino};
}

// Saves a document as the day's memo, as a memo window opened on the day would.
SaveResult saveAs(MemoStore& store, QDate day, const QTextDocument& document) {
    QTextDocument opened;
    OpenedMemo memo = store.open(day, opened);
    return store.save(memo, document);
}

} // namespace

class TestMemoFiles : public QObject {
    Q_OBJECT

    QTemporaryDir folder_;
    FakeClock clock_{QDateTime(QDate(2024, 3, 1), QTime(9, 0))};
    std::unique_ptr<MemoStore> store_;

    void write(const QString& name, const QByteArray& bytes) {
        QFile file(folder_.filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    QByteArray read(const QString& name) {
        QFile file(folder_.filePath(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

private Q_SLOTS:
    void init() { store_ = std::make_unique<MemoStore>(folder_.path(), clock_); }
    void cleanup() {
        store_.reset();
        QDir dir(folder_.path());
        dir.removeRecursively();
        QDir().mkpath(folder_.path());
    }

    void missingMemoIsEmpty() {
        QTextDocument document;
        QCOMPARE(store_->open(QDate(1999, 3, 27), document).found, OpenedMemo::Found::Nothing);
        QVERIFY(document.isEmpty());
    }

    void savedMemoReadsBackAndReplacesTheOldFile() {
        QTextDocument document;
        QTextCharFormat bold;
        bold.setFontWeight(QFont::Bold);
        QTextCursor(&document).insertText("歯医者 15:30", bold);
        write("1999327.rtf", "{\\rtf1 old memo\\par}");
        const SaveResult saved = saveAs(*store_, QDate(1999, 3, 27), document);
        QVERIFY2(saved.ok, qPrintable(saved.error));
        QCOMPARE(saved.fileName, folder_.filePath("1999327.rtf"));
        QCOMPARE(QDir(folder_.path()).entryList(QDir::Files), QStringList{"1999327.rtf"});

        QTextDocument back;
        QCOMPARE(store_->open(QDate(1999, 3, 27), back).found, OpenedMemo::Found::Rtf);
        QCOMPARE(back.toPlainText(), QString("歯医者 15:30"));
        QCOMPARE(back.firstBlock().begin().fragment().charFormat().fontWeight(), int(QFont::Bold));
    }

    void daysThatShareANameKeepTheirOwnMemos() {
        QTextDocument january;
        QTextCursor(&january).insertText("1月12日");
        QTextDocument november;
        QTextCursor(&november).insertText("11月2日");
        QVERIFY(saveAs(*store_, QDate(1999, 1, 12), january).ok);
        QVERIFY(saveAs(*store_, QDate(1999, 11, 2), november).ok);
        QTextDocument back;
        store_->open(QDate(1999, 1, 12), back);
        QCOMPARE(back.toPlainText(), QString("1月12日"));
        store_->open(QDate(1999, 11, 2), back);
        QCOMPARE(back.toPlainText(), QString("11月2日"));
        QVERIFY(!QFile::exists(folder_.filePath("1999112.rtf")));
    }

    void memosUnderTheSharedOldNameAreStillFound() {
        write("1999112.rtf", "{\\rtf1 stored long ago\\par}");
        QTextDocument document;
        QCOMPARE(store_->open(QDate(1999, 1, 12), document).found, OpenedMemo::Found::Rtf);
        QCOMPARE(document.toPlainText(), QString("stored long ago"));
        QCOMPARE(store_->open(QDate(1999, 11, 2), document).found, OpenedMemo::Found::Rtf);
        // Once saved, the day's own file comes first.
        QTextCursor(&document).insertText("new ");
        QVERIFY(saveAs(*store_, QDate(1999, 11, 2), document).ok);
        QCOMPARE(read("1999112.rtf"), QByteArray("{\\rtf1 stored long ago\\par}"));
        store_->open(QDate(1999, 11, 2), document);
        QCOMPARE(document.toPlainText(), QString("new stored long ago"));
    }

    void fileThatIsNotRtfShowsAsText_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("utf-8") << QByteArray("買い物: 牛乳\n卵") << "買い物: 牛乳\n卵";
        QTest::newRow("code page 932")
            << QByteArray("\x94\x83\x82\xa2\x95\xa8 \x95\x5c") << "買い物 表";
        QTest::newRow("latin") << QByteArray("just text") << "just text";
        QTest::newRow("utf-16, little end first")
            << QByteArray("\xFF\xFE\xB7\x8C\x44\x30\x69\x72\x0A\x00", 10) << "買い物\n";
        QTest::newRow("utf-16, big end first")
            << QByteArray("\xFE\xFF\x8C\xB7\x30\x44\x72\x69", 8) << "買い物";
    }
    void fileThatIsNotRtfShowsAsText() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        write("2024101.rtf", bytes);
        QTextDocument document;
        QCOMPARE(store_->open(QDate(2024, 10, 1), document).found, OpenedMemo::Found::PlainText);
        QCOMPARE(document.toPlainText(), text);
        QVERIFY(!document.isUndoAvailable());
    }

    void unreadableFileGivesAnEmptyMemoThatMayNotReplaceIt() {
        QVERIFY(QDir(folder_.path()).mkdir("2024315.rtf"));
        QTextDocument document;
        const OpenedMemo loaded = store_->open(QDate(2024, 3, 15), document);
        QCOMPARE(loaded.found, OpenedMemo::Found::Unreadable);
        QCOMPARE(loaded.reason, QString("同じ名前のフォルダーがあります"));
        QVERIFY(!loaded.mayBeReplaced());
        QVERIFY(document.isEmpty());
    }

    // A file the user may not read: as root, which reads everything, the reading is done by a
    // child process that has given up root.
    void fileWithoutReadPermissionIsUnreadable() {
        write("2024316.rtf", "{\\rtf1 secret\\par}");
        QVERIFY(QFile::setPermissions(folder_.filePath("2024316.rtf"), QFile::WriteOwner));
        QVERIFY(QFile::setPermissions(folder_.path(), QFile::ReadOwner | QFile::WriteOwner |
                                                          QFile::ExeOwner | QFile::ReadOther |
                                                          QFile::ExeOther));
        const auto loadAs = [this] {
            QTextDocument document;
            const OpenedMemo loaded = store_->open(QDate(2024, 3, 16), document);
            return loaded.found == OpenedMemo::Found::Unreadable &&
                   loaded.reason == QString("このファイルまたはフォルダーを使う権限がありません") &&
                   document.isEmpty();
        };
        if (geteuid() != 0) {
            QVERIFY(loadAs());
            return;
        }
        const pid_t child = fork();
        if (child == 0)
            _exit(setgid(65534) == 0 && setuid(65534) == 0 && loadAs() ? 0 : 1);
        int status = 0;
        QCOMPARE(waitpid(child, &status, 0), child);
        QVERIFY(WIFEXITED(status));
        QCOMPARE(WEXITSTATUS(status), 0);
    }

    // Given a damaged memo, saving keeps its original bytes beside it first, under a name no
    // file has yet.
    void damagedMemoIsKeptBesideTheNewOne() {
        const QByteArray damaged("{\\rtf1 half a {\\b memo");
        write("2024317.rtf", damaged);
        write("2024317.rtf.bak", "an older backup");
        QTextDocument document;
        OpenedMemo loaded = store_->open(QDate(2024, 3, 17), document);
        QCOMPARE(loaded.found, OpenedMemo::Found::Damaged);
        QCOMPARE(document.toPlainText(), QString("half a memo"));
        const SaveResult saved = store_->save(loaded, document);
        QVERIFY2(saved.ok, qPrintable(saved.error));
        QCOMPARE(saved.backup, folder_.filePath("2024317.rtf.1.bak"));
        QCOMPARE(read("2024317.rtf.1.bak"), damaged);
        QCOMPARE(read("2024317.rtf.bak"), QByteArray("an older backup"));
        QVERIFY(read("2024317.rtf").startsWith("{\\rtf1"));
    }

    void changesFromOutsideAreNoticed() {
        const QDate day(2024, 3, 18);
        write("2024318.rtf", "{\\rtf1 mine\\par}");
        QTextDocument document;
        const OpenedMemo loaded = store_->open(day, document);
        QVERIFY(!store_->changedSince(loaded));
        QFile touched(folder_.filePath("2024318.rtf"));
        QVERIFY(touched.open(QIODevice::ReadWrite));
        QVERIFY(touched.setFileTime(QDateTime::currentDateTime().addDays(1),
                                    QFileDevice::FileModificationTime));
        touched.close();
        QVERIFY(!store_->changedSince(loaded)); // the same content
        write("2024318.rtf", "{\\rtf1 theirs\\par}");
        QVERIFY(store_->changedSince(loaded));
        QVERIFY(QFile::remove(folder_.filePath("2024318.rtf")));
        QVERIFY(store_->changedSince(loaded));

        const OpenedMemo empty = store_->open(QDate(2024, 3, 19), document);
        QVERIFY(!store_->changedSince(empty));
        write("2024319.rtf", "{\\rtf1 appeared\\par}");
        QVERIFY(store_->changedSince(empty));
    }

    // Larger files are not read (a sparse one: nothing is written), longer memos not shown.
    // A file larger than any memo Orbeta writes, and a memo longer than the editor takes (both
    // another program's), open as far as they can be shown, never empty, and are not replaced.
    void tooLargeMemosShowTheirBeginning() {
        write("2024320.rtf", "the beginning of a large file\n");
        QFile sparse(folder_.filePath("2024320.rtf"));
        QVERIFY(sparse.open(QIODevice::ReadWrite));
        QVERIFY(sparse.resize(kMaxMemoFileBytes + 1));
        sparse.close();
        QTextDocument document;
        OpenedMemo loaded = store_->open(QDate(2024, 3, 20), document);
        QCOMPARE(loaded.found, OpenedMemo::Found::TooLarge);
        QCOMPARE(loaded.size, kMaxMemoFileBytes + 1);
        QVERIFY(!loaded.mayBeReplaced());
        QVERIFY(document.toPlainText().startsWith("the beginning of a large file"));

        write("2024321.rtf", QByteArray(kMaxEditableCharacters + 1, 'x'));
        loaded = store_->open(QDate(2024, 3, 21), document);
        QCOMPARE(loaded.found, OpenedMemo::Found::TooLarge);
        QCOMPARE(document.characterCount() - 1, kMaxEditableCharacters);
        QVERIFY(!document.isModified() && !document.isUndoAvailable());
    }

    void fileThatAnotherDaySharesIsTold() {
        write("2020112.rtf", "{\\rtf1 whose?\\par}");
        QTextDocument document;
        const OpenedMemo loaded = store_->open(QDate(2020, 1, 12), document);
        QCOMPARE(loaded.sharedWith, std::optional(QDate(2020, 11, 2)));
        QCOMPARE(memoNotice(loaded, store_->shownPath(loaded.name)),
                 QString("このメモは 2020/01/12 と 2020/11/02 が共有していた 2020112.rtf "
                         "から読み込みました"));
        QCOMPARE(store_->open(QDate(2020, 11, 2), document).sharedWith,
                 std::optional(QDate(2020, 1, 12)));
    }

    // A full disk, on a small file system of its own: every save fails, whatever its size, and
    // the old memo stays whole. (Qt's buffer once hid the failure of memos under 16 KB.)
    void fullDiskNeverReportsSuccess() {
        const QString disk = folder_.filePath("disk");
        QVERIFY(QDir().mkpath(disk));
        if (QProcess::execute("mount", {"-t", "tmpfs", "-o", "size=64k", "tmpfs", disk}) != 0)
            QSKIP("mounting a small file system needs root; CI runs as root");
        const auto unmount = qScopeGuard([&] { QProcess::execute("umount", {disk}); });
        MemoStore full(disk, clock_);
        QFile old(disk + "/2024322.rtf");
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("{\\rtf1 x}");
        old.close();
        QFile filler(disk + "/filler");
        QVERIFY(filler.open(QIODevice::WriteOnly));
        while (filler.write(QByteArray(4096, 'f')) == 4096 && filler.flush()) {
        }
        filler.close();
        for (const int characters : {10, 14500, 300000}) {
            QTextDocument document;
            QTextCursor(&document).insertText(QString(characters, QChar(u'あ')));
            const SaveResult saved = saveAs(full, QDate(2024, 3, 22), document);
            QVERIFY(!saved.ok);
            QCOMPARE(saved.error, QString("ディスクの空き容量が足りません"));
            QCOMPARE(QFileInfo(disk + "/2024322.rtf").size(), qint64(9));
        }
    }

    // Past a file-size limit (ulimit -f) every kind of file the store writes, a version, a
    // recovery file, the journal, fails as a full disk does, in a process that starts with the
    // system's default: the limit's signal does not end the program.
    void writesPastAFileSizeLimitFailWithoutEndingTheProgram() {
        const QString state = folder_.filePath("state");
        const pid_t child = ::fork();
        if (child == 0) {
            std::signal(SIGXFSZ, SIG_DFL);
            const rlimit small{4096, 4096};
            ::setrlimit(RLIMIT_FSIZE, &small);
            const QByteArray large(64 * 1024, 'a');
            const MemoFolder memos(folder_.path());
            const SaveOutcome version = writeNewFile(
                memos, "limited", [](int sequence) { return QString("v%1.rtf").arg(sequence); },
                large, 0600);
            const Journal journal(1, 2, state);
            const SaveOutcome unsaved = journal.write("2024322.rtf", large);
            ::_exit(!version.ok && !unsaved.ok ? 0 : 1);
        }
        int status = 0;
        QCOMPARE(::waitpid(child, &status, 0), child);
        QVERIFY2(!WIFSIGNALED(status),
                 qPrintable(QString("ended by signal %1").arg(WTERMSIG(status))));
        QCOMPARE(WEXITSTATUS(status), 0);
    }

    void failedSaveKeepsTheOldFileAndSaysWhy() {
        // A folder where the memo should go: no user can replace it with a file.
        QVERIFY(QDir(folder_.path()).mkdir("2024315.rtf"));
        QTextDocument document;
        QTextCursor(&document).insertText("must not be lost");
        const SaveResult saved = saveAs(*store_, QDate(2024, 3, 15), document);
        QVERIFY(!saved.ok);
        QVERIFY(!saved.error.isEmpty());
        QCOMPARE(saved.fileName, folder_.filePath("2024315.rtf"));
        QVERIFY(QFileInfo(folder_.filePath("2024315.rtf")).isDir());
        QCOMPARE(QDir(folder_.path()).entryList(QDir::Files | QDir::Hidden), QStringList());
    }

    void saveToAMissingFolderFails() {
        MemoStore elsewhere(folder_.filePath("not/there"), clock_);
        QTextDocument document;
        QVERIFY(!saveAs(elsewhere, QDate(2024, 1, 1), document).ok);
        QVERIFY(!QDir(folder_.filePath("not")).exists());
    }

    void emptyMemoIsStillAnRtfDocument() {
        QTextDocument document;
        QVERIFY(saveAs(*store_, QDate(2024, 2, 29), document).ok);
        QVERIFY(read("2024229.rtf").startsWith("{\\rtf1"));
        QTextDocument back;
        QCOMPARE(store_->open(QDate(2024, 2, 29), back).found, OpenedMemo::Found::Rtf);
        QVERIFY(back.isEmpty());
    }

    void summariesOfAMonth() {
        write("20241.rtf", "x");                       // no such day: 2024, 1, "" or 2, 41
        write("2024110.rtf", "{\\rtf1 \\par  \\par}"); // saved empty
        write("2024111.rtf", "{\\rtf1 shared\\par}");  // old shared name: 11 January or 1 November
        write("20241102.rtf", "{\\rtf1{\\pict\\wmetafile8 0100}}"); // 2 November: a picture
        write("20241131.rtf", "{\\rtf1 x}");                        // no 31 November
        write("2024112.rtf.bak", "{\\rtf1 x}");
        write("202413.rtf", QByteArray(3, '\xff')); // not RTF: its text
        write("202414.rtf", "{\\rtf1\\ansi\\ansicpg932 <b>\\'93\\'fa\\'96\\'7b\\line x\\par\\par"
                            "  second\\par 3\\par 4\\par 5\\par}");
        const auto month = [this](int year, int number) {
            const auto readingEnded = [this] {
                return !store_->reading();
            };
            const bool listed = QTest::qWaitFor(readingEnded);
            store_->month(year, number); // what is not read yet is read now
            const bool read = QTest::qWaitFor(readingEnded);
            return listed && read ? store_->month(year, number)
                                  : QHash<int, MemoStore::DaySummary>();
        };
        store_ = std::make_unique<MemoStore>(folder_.path(), clock_);
        const QHash<int, MemoStore::DaySummary> january = month(2024, 1);
        QCOMPARE(january.keys().size(), 4);
        QVERIFY(!january[10].saysSomething);
        QCOMPARE(january[11].firstLines, QStringLiteral("shared"));
        QVERIFY(january[3].saysSomething);
        QCOMPARE(january[4].firstLines, QStringLiteral("<b>日本\nx\nsecond\n3…"));
        const QHash<int, MemoStore::DaySummary> november = month(2024, 11);
        QCOMPARE(november.keys().size(), 2);
        QCOMPARE(november[1].firstLines, QStringLiteral("shared"));
        QVERIFY(november[2].saysSomething); // a picture says something
        QVERIFY(month(2024, 2).isEmpty());

        // Read again when changed, whatever the size.
        write("2024111.rtf", "{\\rtf1 SHARED\\par}");
        QTRY_COMPARE(store_->month(2024, 1)[11].firstLines, QStringLiteral("SHARED"));
        QCOMPARE(
            firstLines(QString(200, u'あ'), MemoText::kPreviewLines, MemoText::kPreviewCharacters),
            QString(80, u'あ') + u'…');
    }

    // A memo that is a link to a file inside the folder is saved where that file is; one that
    // leads out of the folder is neither read, kept nor replaced, and its text reaches neither
    // the calendar nor the search; a memo nobody may write is not replaced, and the save says
    // why.
    void linksAndMemosNobodyMayWrite() {
        const QDate inside(2026, 12, 8);
        QVERIFY(QDir(folder_.path()).mkpath("archive"));
        write("archive/december.rtf", "{\\rtf1 kept in the archive\\par}");
        QVERIFY(QFile::link("archive/december.rtf", folder_.filePath("20261208.rtf")));
        QTextDocument document;
        OpenedMemo opened = store_->open(inside, document);
        QCOMPARE(opened.found, OpenedMemo::Found::Rtf);
        QTextCursor(&document).insertText("edited, ");
        QVERIFY(store_->save(opened, document).ok);
        QVERIFY(QFileInfo(folder_.filePath("20261208.rtf")).isSymLink());
        QCOMPARE(textOfFile(folder_.filePath("archive/december.rtf")),
                 QString("edited, kept in the archive"));

        QTemporaryDir elsewhere;
        const QByteArray secret = "{\\rtf1 the key of another program\\par}";
        writeFile(elsewhere.filePath("id_ed25519"), secret);
        QVERIFY(QFile::link(elsewhere.filePath("id_ed25519"), folder_.filePath("20261215.rtf")));
        opened = store_->open(QDate(2026, 12, 15), document);
        QCOMPARE(opened.found, OpenedMemo::Found::Unreadable);
        QCOMPARE(opened.reason, QString("メモのフォルダーの外を指すリンクです"));
        QVERIFY(document.isEmpty());
        document.setPlainText("over it");
        opened.found = OpenedMemo::Found::Nothing; // as if the window let it be saved
        QVERIFY(!store_->save(opened, document).ok);
        QCOMPARE(readFile(elsewhere.filePath("id_ed25519")), secret);
        QVERIFY(QFileInfo(folder_.filePath("20261215.rtf")).isSymLink());
        QVERIFY(!QDir(folder_.filePath(".orbeta-history/20261215.rtf")).exists());
        QVERIFY(QDir(folder_.path()).entryList({"*.bak"}).isEmpty());
        QTRY_VERIFY(!store_->reading());
        store_->month(2026, 12);
        QTRY_VERIFY(!store_->reading());
        QVERIFY(!store_->month(2026, 12).value(15).firstLines.contains("key"));

        write("20261210.rtf", "{\\rtf1 read only\\par}");
        QVERIFY(QFile::setPermissions(folder_.filePath("20261210.rtf"),
                                      QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
        opened = store_->open(QDate(2026, 12, 10), document);
        document.setPlainText("changed");
        const SaveResult refused = store_->save(opened, document);
        QVERIFY(!refused.ok);
        QCOMPARE(refused.error, QString("書き込みが許されていないファイルです（読み取り専用）"));
        QCOMPARE(textOfFile(folder_.filePath("20261210.rtf")), QString("read only"));
    }

    // A save puts on the disk the folders of versions it made and the folder that holds the new
    // version, not only the memo folder: after a power cut, what the memo replaced is there too.
    // The version is the replaced file itself, linked, not written again.
    void aVersionReachesTheDiskWithItsFolders() {
        write("20261208.rtf", "{\\rtf1 first\\par}");
        const auto replaced = statOf(folder_.filePath("20261208.rtf"));
        QTextDocument document;
        OpenedMemo opened = store_->open(QDate(2026, 12, 8), document);
        document.setPlainText("second");
        const SyncedFolders synced;
        QVERIFY(store_->save(opened, document).ok);
        const auto identity = [this](const char* folder) {
            return statOf(folder_.filePath(QString::fromLatin1(folder)));
        };
        const auto syncs = synced.folders();
        QVERIFY(syncs.contains(identity(".")));
        QVERIFY(syncs.contains(identity(".orbeta-history")));
        QVERIFY(syncs.contains(identity(".orbeta-history/20261208.rtf")));
        const QStringList versions =
            QDir(folder_.filePath(".orbeta-history/20261208.rtf")).entryList(QDir::Files);
        QCOMPARE(versions.size(), 1);
        QCOMPARE(statOf(folder_.filePath(".orbeta-history/20261208.rtf/" + versions.first())),
                 replaced);
    }

    // A folder of versions that cannot be written (a file in its place, here) does not stop a
    // save: the replaced text is kept beside the memo instead, and the result names the folder
    // and the reason.
    void anUnwritableFolderOfVersionsDoesNotStopSaving() {
        write("20261208.rtf", "{\\rtf1 old\\par}");
        write(".orbeta-history", "a file where the folder should be");
        QTextDocument document;
        OpenedMemo opened = store_->open(QDate(2026, 12, 8), document);
        document.setPlainText("new");
        const SaveResult saved = store_->save(opened, document);
        QVERIFY2(saved.ok, qPrintable(saved.error));
        QVERIFY2(saved.versionProblem.contains(".orbeta-history"),
                 qPrintable(saved.versionProblem));
        QVERIFY(!saved.versionProblem.contains("見つかりません"));
        QCOMPARE(saved.replacedWrittenAs, folder_.filePath("20261208.rtf.bak"));
        QCOMPARE(read("20261208.rtf.bak"), QByteArray("{\\rtf1 old\\par}"));
        QCOMPARE(textOfFile(folder_.filePath("20261208.rtf")), QString("new"));
    }

    // A folder of versions that is a link, to another user's folder say, is never followed:
    // nothing is written there and nothing there is pruned.
    void aFolderOfVersionsThatIsALinkIsNotFollowed() {
        QTemporaryDir victim;
        for (int second = 0; second < 30; ++second)
            writeFile(
                victim.filePath(QString("20200101-0000%1.rtf").arg(second, 2, 10, QChar('0'))),
                "theirs");
        const QStringList before = QDir(victim.path()).entryList(QDir::Files);
        QVERIFY(QDir(folder_.path()).mkpath(".orbeta-history"));
        QVERIFY(QFile::link(victim.path(), folder_.filePath(".orbeta-history/20261208.rtf")));
        write("20261208.rtf", "{\\rtf1 old\\par}");
        QTextDocument document;
        for (const char* text : {"one", "two", "three"}) {
            OpenedMemo opened = store_->open(QDate(2026, 12, 8), document);
            document.setPlainText(QString::fromLatin1(text));
            QVERIFY(store_->save(opened, document).ok);
        }
        QCOMPARE(QDir(victim.path()).entryList(QDir::Files), before);
    }
};

QTEST_MAIN(TestMemoFiles)
#include "tst_memo_files.moc"
