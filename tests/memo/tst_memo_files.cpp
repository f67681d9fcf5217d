#include "memo/memo_files.h"
#include "richtext/rtf_writer.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

using namespace orbeta;

class TestMemoFiles : public QObject {
    Q_OBJECT

    QTemporaryDir folder_;
    MemoFiles files_{folder_.path()};

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
    void cleanup() {
        QDir dir(folder_.path());
        dir.removeRecursively();
        QDir().mkpath(folder_.path());
    }

    void missingMemoIsEmpty() {
        QTextDocument document;
        QCOMPARE(files_.load(QDate(1999, 3, 27), document), MemoFiles::Found::Nothing);
        QVERIFY(document.isEmpty());
    }

    void savedMemoReadsBackAndReplacesTheOldFile() {
        QTextDocument document;
        QTextCharFormat bold;
        bold.setFontWeight(QFont::Bold);
        QTextCursor(&document).insertText("歯医者 15:30", bold);
        write("1999327.rtf", "{\\rtf1 old memo\\par}");
        const MemoFiles::Saved saved = files_.save(QDate(1999, 3, 27), document);
        QVERIFY2(saved.ok, qPrintable(saved.error));
        QCOMPARE(saved.fileName, folder_.filePath("1999327.rtf"));
        QCOMPARE(QDir(folder_.path()).entryList(QDir::Files), QStringList{"1999327.rtf"});

        QTextDocument back;
        QCOMPARE(files_.load(QDate(1999, 3, 27), back), MemoFiles::Found::Rtf);
        QCOMPARE(back.toPlainText(), QString("歯医者 15:30"));
        QCOMPARE(back.firstBlock().begin().fragment().charFormat().fontWeight(), int(QFont::Bold));
    }

    void daysThatShareANameKeepTheirOwnMemos() {
        QTextDocument january;
        QTextCursor(&january).insertText("1月12日");
        QTextDocument november;
        QTextCursor(&november).insertText("11月2日");
        QVERIFY(files_.save(QDate(1999, 1, 12), january).ok);
        QVERIFY(files_.save(QDate(1999, 11, 2), november).ok);
        QTextDocument back;
        files_.load(QDate(1999, 1, 12), back);
        QCOMPARE(back.toPlainText(), QString("1月12日"));
        files_.load(QDate(1999, 11, 2), back);
        QCOMPARE(back.toPlainText(), QString("11月2日"));
        QVERIFY(!QFile::exists(folder_.filePath("1999112.rtf")));
    }

    void memosUnderTheSharedOldNameAreStillFound() {
        write("1999112.rtf", "{\\rtf1 stored long ago\\par}");
        QTextDocument document;
        QCOMPARE(files_.load(QDate(1999, 1, 12), document), MemoFiles::Found::Rtf);
        QCOMPARE(document.toPlainText(), QString("stored long ago"));
        QCOMPARE(files_.load(QDate(1999, 11, 2), document), MemoFiles::Found::Rtf);
        // Once saved, the day's own file comes first.
        QTextCursor(&document).insertText("new ");
        QVERIFY(files_.save(QDate(1999, 11, 2), document).ok);
        QCOMPARE(read("1999112.rtf"), QByteArray("{\\rtf1 stored long ago\\par}"));
        files_.load(QDate(1999, 11, 2), document);
        QCOMPARE(document.toPlainText(), QString("new stored long ago"));
    }

    void fileThatIsNotRtfShowsAsText_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("utf-8") << QByteArray("買い物: 牛乳\n卵") << "買い物: 牛乳\n卵";
        QTest::newRow("code page 932")
            << QByteArray("\x94\x83\x82\xa2\x95\xa8 \x95\x5c") << "買い物 表";
        QTest::newRow("latin") << QByteArray("just text") << "just text";
    }
    void fileThatIsNotRtfShowsAsText() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        write("2024101.rtf", bytes);
        QTextDocument document;
        QCOMPARE(files_.load(QDate(2024, 10, 1), document), MemoFiles::Found::PlainText);
        QCOMPARE(document.toPlainText(), text);
        QVERIFY(!document.isUndoAvailable());
    }

    void unreadableFileGivesAnEmptyMemo() {
        QVERIFY(QDir(folder_.path()).mkdir("2024315.rtf"));
        QTextDocument document;
        QCOMPARE(files_.load(QDate(2024, 3, 15), document), MemoFiles::Found::Unreadable);
        QVERIFY(document.isEmpty());
    }

    void failedSaveKeepsTheOldFileAndSaysWhy() {
        // A folder where the memo should go: no user can replace it with a file.
        QVERIFY(QDir(folder_.path()).mkdir("2024315.rtf"));
        QTextDocument document;
        QTextCursor(&document).insertText("must not be lost");
        const MemoFiles::Saved saved = files_.save(QDate(2024, 3, 15), document);
        QVERIFY(!saved.ok);
        QVERIFY(!saved.error.isEmpty());
        QCOMPARE(saved.fileName, folder_.filePath("2024315.rtf"));
        QVERIFY(QFileInfo(folder_.filePath("2024315.rtf")).isDir());
        QCOMPARE(QDir(folder_.path()).entryList(QDir::Files | QDir::Hidden), QStringList());
    }

    void saveToAMissingFolderFails() {
        MemoFiles elsewhere(folder_.filePath("not/there"));
        QTextDocument document;
        QVERIFY(!elsewhere.save(QDate(2024, 1, 1), document).ok);
        QVERIFY(!QDir(folder_.filePath("not")).exists());
    }

    void emptyMemoIsStillAnRtfDocument() {
        QTextDocument document;
        QVERIFY(files_.save(QDate(2024, 2, 29), document).ok);
        QVERIFY(read("2024229.rtf").startsWith("{\\rtf1"));
        QTextDocument back;
        QCOMPARE(files_.load(QDate(2024, 2, 29), back), MemoFiles::Found::Rtf);
        QVERIFY(back.isEmpty());
    }

    void daysWithMemosOfAMonth() {
        write("20241.rtf", "x"); // no such day: 2024, 1, "" or 2, 41
        write("2024110.rtf", "{\\rtf1}");
        write("2024111.rtf", "{\\rtf1}");  // old shared name: 11 January or 1 November
        write("20241102.rtf", "{\\rtf1}"); // 2 November's own name
        write("20241131.rtf", "{\\rtf1}"); // no 31 November
        write("2024112.rtf.bak", "{\\rtf1}");
        QCOMPARE(files_.daysWithMemos(2024, 1), (QSet<int>{10, 11}));
        QCOMPARE(files_.daysWithMemos(2024, 11), (QSet<int>{1, 2}));
        QCOMPARE(files_.daysWithMemos(2024, 2), QSet<int>());
    }
};

QTEST_MAIN(TestMemoFiles)
#include "tst_memo_files.moc"
