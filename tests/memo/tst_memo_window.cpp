#include "calendar/form1.h"
#include "calendar/month_view.h"
#include "memo/form2.h"
#include "memo/frm_versions.h"
#include "memo/rich_text_box.h"
#include "program/program.h"
#include "richtext/document_snapshot.h"
#include "richtext/rtf_reader.h"
#include "store/memo_names.h"
#include "store/memo_store.h"
#include "support/fake_clock.h"
#include "support/memo_window.h"
#include "support/test_program.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QStandardPaths>
#include <QTest>
#include <QTextEdit>
#include <QTimer>

#include <sys/resource.h>
#include <sys/stat.h>

using namespace orbeta;

namespace {

const QDate kDay(2026, 12, 8);

// Clicks a link of the memo window's notice line.
void follow(Form2& memo, const char* link) {
    Q_EMIT memo.findChild<QLabel*>("lblNotice")->linkActivated(QString::fromLatin1(link));
}

} // namespace

// The memo window keeps the user's text whatever happens around it: midnight, other programs,
// a full disk, an end the user did not choose; and it offers earlier versions and other
// machines' copies of the memo without writing anything until the memo is saved.
class TestMemoWindow : public QObject {
    Q_OBJECT

    std::unique_ptr<TestProgram> test_;
    FakeClock* clock_ = nullptr;

    QString memoPath(const QString& name) const { return test_->memoPath(name); }
    bool openMemo(QDate day, const std::function<void(Form2&)>& use) {
        return openMemoAsUser(*test_, day, use);
    }

private Q_SLOTS:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void init() {
        auto clock = std::make_unique<FakeClock>(QDateTime(kDay, QTime(23, 59, 58)));
        clock_ = clock.get();
        test_ = std::make_unique<TestProgram>(std::move(clock));
        test_->program->form1().show();
        QVERIFY(QTest::qWaitForWindowExposed(&test_->program->form1()));
    }
    void cleanup() {
        closeStrayWindows();
        test_.reset();
    }

    // Given a memo open while the day changes (midnight, or a time zone to the west), the
    // calendar moves on, and the memo is still saved to the day it was opened for, without a
    // question, leaving the other day's file as it was.
    void memoOpenWhileTheDayChangesIsSavedToItsOwnDay_data() {
        QTest::addColumn<int>("days");
        QTest::addColumn<bool>("otherDayHasAMemo");
        QTest::newRow("midnight") << 1 << false;
        QTest::newRow("midnight, the next day has a memo") << 1 << true;
        QTest::newRow("a time zone to the west") << -1 << true;
    }
    void memoOpenWhileTheDayChangesIsSavedToItsOwnDay() {
        QFETCH(int, days);
        QFETCH(bool, otherDayHasAMemo);
        const QDate other = kDay.addDays(days);
        const QByteArray otherMemo = "{\\rtf1 the other day\\par}";
        if (otherDayHasAMemo)
            writeFile(memoPath(memoSaveName(other)), otherMemo);
        bool asked = false;
        QVERIFY(openMemo(kDay, [&](Form2& memo) {
            typeText(&memo.RichTextBox1(), QStringLiteral("遅くまで"));
            clock_->set(QDateTime(other, QTime(0, 0, 1)));
            MonthView& calendar = test_->program->form1().MonthView1();
            QTRY_COMPARE(calendar.today(), other);
            QCOMPARE(calendar.selectedDate(), other); // the selection went with today
            // A question would come up while saving; none may.
            QTimer::singleShot(0, &memo, [&] {
                if (auto* box = memo.findChild<QMessageBox*>()) {
                    asked = true;
                    box->reject();
                }
            });
            menuItem(&memo, "mnu_saveclose")->trigger();
            QVERIFY(!memo.isVisible());
        }));
        QVERIFY(!asked);
        QCOMPARE(textOfFile(memoPath(memoSaveName(kDay))), QStringLiteral("遅くまで"));
        QCOMPARE(QFile::exists(memoPath(memoSaveName(other))), otherDayHasAMemo);
        if (otherDayHasAMemo)
            QCOMPARE(readFile(memoPath(memoSaveName(other))), otherMemo);
    }

    // Given a file that another program changes again while the question is on screen,
    // 上書き保存 asks again; what is replaced is kept as a version.
    void aFileChangedDuringTheQuestionIsAskedAboutAgain() {
        writeFile(memoPath("20261208.rtf"), "{\\rtf1 mine\\par}");
        int questions = 0;
        QVERIFY(openMemo(kDay, [&](Form2& memo) {
            typeText(&memo.RichTextBox1(), QStringLiteral("edited "));
            writeFile(memoPath("20261208.rtf"), "{\\rtf1 theirs\\par}");
            std::function<void(QWidget*)> answer = [&](QWidget* box) {
                QCOMPARE(box->objectName(), QStringLiteral("fileChanged"));
                if (++questions == 1) {
                    writeFile(memoPath("20261208.rtf"), "{\\rtf1 theirs again\\par}");
                    whenModalAppears(answer);
                }
                box->findChild<QPushButton*>("overwrite")->click();
            };
            whenModalAppears(answer);
            menuItem(&memo, "mnu_saveclose")->trigger();
        }));
        QCOMPARE(questions, 2);
        QCOMPARE(textOfFile(memoPath("20261208.rtf")), QStringLiteral("edited mine"));
        const QList<MemoVersion> versions = test_->program->memoStore().versionsOf(kDay);
        QCOMPARE(versions.size(), 1);
        QCOMPARE(textOfFile(memoPath(versions.first().id)), QStringLiteral("theirs again"));
    }

    // Given a damaged memo of the user's alone and a file-size limit the new memo outgrows, the
    // original is kept once, as private as it was, and the message says the save failed and
    // where the original is.
    void failedSaveKeepsTheOriginalOnce() {
        writeFile(memoPath("20261208.rtf"), "{\\rtf1 half a {\\b memo");
        QVERIFY(
            QFile::setPermissions(memoPath("20261208.rtf"), QFile::ReadOwner | QFile::WriteOwner));
        struct rlimit limit {};
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &limit), 0);
        const rlimit unlimited = limit;
        QVERIFY(openMemo(kDay, [&](Form2& memo) {
            QTest::keyClicks(&memo.RichTextBox1(), QString("precious words ").repeated(30));
            limit.rlim_cur = 300;
            QCOMPARE(setrlimit(RLIMIT_FSIZE, &limit), 0);
            for (int attempt = 0; attempt < 2; ++attempt) {
                QString message;
                whenModalAppears([&](QWidget* box) {
                    message = static_cast<QMessageBox*>(box)->text();
                    box->close();
                });
                menuItem(&memo, "mnu_saveclose")->trigger();
                QVERIFY2(message.startsWith("メモを保存できませんでした。"), qPrintable(message));
                QVERIFY2(message.contains("20261208.rtf.bak として残してあります"),
                         qPrintable(message));
                QVERIFY(memo.isVisible());
            }
            QCOMPARE(setrlimit(RLIMIT_FSIZE, &unlimited), 0);
        }));
        QCOMPARE(QDir(test_->memoFolder()).entryList({"*.bak"}, QDir::Files),
                 QStringList{"20261208.rtf.bak"});
        QCOMPARE(QFileInfo(memoPath("20261208.rtf.bak")).permissions(),
                 QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser);
        QCOMPARE(readFile(memoPath("20261208.rtf")), QByteArray("{\\rtf1 half a {\\b memo"));
        // The original once among the versions too, beside the text closed without saving.
        const QList<MemoVersion> versions = test_->program->memoStore().versionsOf(kDay);
        QCOMPARE(std::count_if(versions.cbegin(), versions.cend(),
                               [](const MemoVersion& version) {
                                   return version.kind == MemoVersion::Kind::Replaced;
                               }),
                 1);
    }

    // Given an end the user did not choose while the memo has unsaved text, the text is kept
    // beside the memo, once for each change, and the memo stays as it was. The next opening
    // offers the newest; left, it becomes one of the memo's versions; the one before it is
    // offered next, and once taken and saved it is the memo.
    void textKeptAtAnUnchosenEndIsOfferedAtTheNextOpening() {
        writeFile(memoPath("20261208.rtf"), "{\\rtf1 saved\\par}");
        QVERIFY(openMemo(kDay, [&](Form2& memo) {
            typeText(&memo.RichTextBox1(), QStringLiteral("未保存の "));
            test_->program->rescueUnsavedText();
            test_->program->rescueUnsavedText(); // nothing changed: nothing more is written
            typeText(&memo.RichTextBox1(), QStringLiteral("もっと "));
            test_->program->rescueUnsavedText();
        }));
        const QString older = QStringLiteral("20261208.recovered-20261208-235958.rtf");
        const QString newer = QStringLiteral("20261208.recovered-20261208-235958-1.rtf");
        QCOMPARE(QDir(test_->memoFolder()).entryList({"*.recovered-*"}),
                 (QStringList{newer, older}));
        const QString olderText = textOfFile(memoPath(older));
        const QString newerText = textOfFile(memoPath(newer));
        QCOMPARE(olderText, QStringLiteral("未保存の saved"));
        QVERIFY(newerText.contains(QStringLiteral("もっと")));
        QCOMPARE(readFile(memoPath("20261208.rtf")), QByteArray("{\\rtf1 saved\\par}"));

        QVERIFY(openMemo(kDay, [&](Form2& memo) {
            QVERIFY2(memo.notice().contains(newer), qPrintable(memo.notice()));
            follow(memo, "recovery:leave");
            QVERIFY(memo.notice().isEmpty());
        }));
        QVERIFY(!QFile::exists(memoPath(newer)));
        const QList<MemoVersion> versions = test_->program->memoStore().versionsOf(kDay);
        QVERIFY(std::any_of(versions.cbegin(), versions.cend(), [&](const MemoVersion& version) {
            return version.kind == MemoVersion::Kind::Replaced &&
                   textOfFile(memoPath(version.id)) == newerText;
        }));
        QVERIFY(openMemo(kDay, [&](Form2& memo) {
            QVERIFY2(memo.notice().contains(older), qPrintable(memo.notice()));
            follow(memo, "recovery:take");
            QCOMPARE(memo.RichTextBox1().toPlainText(), olderText);
            memo.RichTextBox1().undo(); // one step
            QCOMPARE(memo.RichTextBox1().toPlainText(), QStringLiteral("saved"));
            memo.RichTextBox1().redo();
            menuItem(&memo, "mnu_saveclose")->trigger();
        }));
        QCOMPARE(textOfFile(memoPath("20261208.rtf")), olderText);
        QVERIFY(QDir(test_->memoFolder()).entryList({"*.recovered-*"}).isEmpty());
    }

    // The earlier versions from the memo's menu: the chosen one shown as it looks, taken into
    // the editor as one step, written only by 保存終了, which keeps the replaced text too.
    void anEarlierVersionIsTakenAndSaved() {
        MemoStore& store = test_->program->memoStore();
        QTextDocument document;
        for (const QString& text : {QStringLiteral("first"), QStringLiteral("second")}) {
            OpenedMemo opened = store.open(kDay, document);
            document.setPlainText(text);
            QVERIFY(store.save(opened, document).ok);
            clock_->set(clock_->now().addSecs(60));
        }
        QVERIFY(openMemo(kDay, [&](Form2& memo) {
            QAction* versions = menuItem(&memo, "mnu_versions");
            QVERIFY(versions->isEnabled());
            whenModalAppears([](QWidget* window) {
                auto* list = qobject_cast<frmVersions*>(window);
                QVERIFY(list);
                QCOMPARE(list->lstVersions().count(), 1);
                // Described once read in the background.
                QTRY_VERIFY(list->lstVersions().item(0)->text().contains("first"));
                QCOMPARE(list->txtPreview().toPlainText(), QStringLiteral("first"));
                QVERIFY(list->txtPreview().isReadOnly());
                list->cmdUse().click();
            });
            versions->trigger();
            QCOMPARE(memo.RichTextBox1().toPlainText(), QStringLiteral("first"));
            QCOMPARE(textOfFile(memoPath("20261208.rtf")), QStringLiteral("second"));
            menuItem(&memo, "mnu_saveclose")->trigger();
        }));
        QCOMPARE(textOfFile(memoPath("20261208.rtf")), QStringLiteral("first"));
        QCOMPARE(textOfFile(memoPath(store.versionsOf(kDay).first().id)), QStringLiteral("second"));
    }

    // A day the calendar cannot show (before 1753) is still the day its memo opens and saves.
    void aMemoBeforeTheCalendarsFirstDayIsItsOwn() {
        writeFile(memoPath("175211.rtf"), "{\\rtf1 old\\par}");
        QString shown;
        whenModalAppears([&](QWidget* modal) {
            auto* memo = qobject_cast<Form2*>(modal);
            QVERIFY(memo);
            shown = memo->RichTextBox1().toPlainText();
            QVERIFY(memo->windowTitle().contains("1752"));
            typeText(&memo->RichTextBox1(), QStringLiteral("new "));
            menuItem(memo, "mnu_saveclose")->trigger();
        });
        test_->program->openMemo(QDate(1752, 1, 1));
        QCOMPARE(shown, QStringLiteral("old"));
        QCOMPARE(textOfFile(memoPath("175211.rtf")), QStringLiteral("new old"));
        QVERIFY(!QFile::exists(memoPath("175311.rtf")));
    }

    // Given the memo folder renamed while a memo is open, the save goes into the folder where it
    // now is, and the window says so; given it deleted, the save fails and the text stays.
    void aFolderMovedOrDeletedDoesNotGoUnnoticed() {
        const QString moved = test_->folder.filePath("moved");
        QVERIFY(openMemo(kDay, [&](Form2& memo) {
            typeText(&memo.RichTextBox1(), QStringLiteral("where?"));
            QVERIFY(QDir().rename(test_->memoFolder(), moved));
            QString told;
            whenModalAppears([&](QWidget* box) {
                told = box->objectName();
                box->close();
            });
            menuItem(&memo, "mnu_saveclose")->trigger();
            QCOMPARE(told, QStringLiteral("folderMoved"));
        }));
        QCOMPARE(textOfFile(moved + "/20261208.rtf"), QStringLiteral("where?"));
        QVERIFY(openMemo(kDay.addDays(1), [&](Form2& memo) {
            typeText(&memo.RichTextBox1(), QStringLiteral("nowhere"));
            QVERIFY(QDir(moved).removeRecursively());
            QString message;
            whenModalAppears([&](QWidget* box) {
                message = static_cast<QMessageBox*>(box)->text();
                box->close();
            });
            menuItem(&memo, "mnu_saveclose")->trigger();
            QVERIFY2(message.contains("削除されています"), qPrintable(message));
            QVERIFY(memo.isVisible());
            QCOMPARE(memo.RichTextBox1().toPlainText(), QStringLiteral("nowhere"));
        }));
    }

    // A sync tool's copy of the memo: the notice names it, the list shows it, not to be edited,
    // its text goes into the memo as one step, and the copy itself is never changed.
    void aSyncToolsCopyIsShownAndItsTextTaken() {
        writeFile(memoPath("20261208.rtf"), "{\\rtf1 desktop\\par}");
        const QString copy = QStringLiteral("20261208.sync-conflict-20261208-101530-ABCDEFG.rtf");
        const QByteArray copyBytes = "{\\rtf1 laptop\\par}";
        writeFile(memoPath(copy), copyBytes);
        QTRY_VERIFY(test_->program->memoStore().hasVersions(kDay));
        QVERIFY(openMemo(kDay, [&](Form2& memo) {
            QVERIFY2(memo.notice().contains(copy), qPrintable(memo.notice()));
            QVERIFY(memo.notice().contains("Syncthing"));
            whenModalAppears([&](QWidget* window) {
                auto* list = qobject_cast<frmVersions*>(window);
                QVERIFY(list);
                QVERIFY(list->lstVersions().currentItem()->text().contains("同期のコピー"));
                QCOMPARE(list->txtPreview().toPlainText(), QStringLiteral("laptop"));
                list->cmdUse().click();
            });
            follow(memo, "copies");
            QCOMPARE(memo.RichTextBox1().toPlainText(), QStringLiteral("laptop"));
            menuItem(&memo, "mnu_saveclose")->trigger();
        }));
        QCOMPARE(textOfFile(memoPath("20261208.rtf")), QStringLiteral("laptop"));
        QCOMPARE(readFile(memoPath(copy)), copyBytes);
    }

    // While a memo has unsaved changes, what the window holds is in the journal, in the user's
    // state folder, a moment after typing stops, and nothing is there before; a save ends it.
    void unsavedTextIsJournaledAsItIsTyped() {
        const QString state = test_->folder.filePath("state/orbeta/unsaved");
        const auto journaled = [&] {
            const QStringList folders = QDir(state).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
            return folders.isEmpty() ? QString()
                                     : textOfFile(state + "/" + folders.first() + "/20261208.rtf");
        };
        QVERIFY(openMemo(kDay, [&](Form2& memo) {
            QVERIFY(QTest::qWaitFor([&] { return !journaled().isEmpty(); }, 500) == false);
            typeText(&memo.RichTextBox1(), QStringLiteral("書きかけの日記"));
            QTRY_COMPARE_WITH_TIMEOUT(journaled(), QStringLiteral("書きかけの日記"), 10000);
            QFileInfo file(
                QDir(state).entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot).first().filePath() +
                "/20261208.rtf");
            QCOMPARE(file.permissions() & 0x0777, QFile::ReadUser | QFile::WriteUser);
            menuItem(&memo, "mnu_saveclose")->trigger();
        }));
        QVERIFY(journaled().isEmpty());
        QCOMPARE(textOfFile(memoPath("20261208.rtf")), QStringLiteral("書きかけの日記"));
    }

    // Text closed without saving (終了, or the close box) is kept as the newest version, listed
    // first in 以前の版 as 保存しなかった編集; closing an unchanged memo keeps nothing.
    void textClosedWithoutSavingIsKeptAsAVersion() {
        writeFile(memoPath("20261208.rtf"), "{\\rtf1 saved\\par}");
        QVERIFY(openMemo(kDay, [&](Form2& memo) {
            typeText(&memo.RichTextBox1(), QStringLiteral("うっかり "));
            menuItem(&memo, "mnu_close")->trigger();
        }));
        QCOMPARE(readFile(memoPath("20261208.rtf")), QByteArray("{\\rtf1 saved\\par}"));
        QList<MemoVersion> versions = test_->program->memoStore().versionsOf(kDay);
        QCOMPARE(versions.size(), 1);
        QCOMPARE(versions.first().kind, MemoVersion::Kind::Unsaved);
        QCOMPARE(textOfFile(memoPath(versions.first().id)), QStringLiteral("うっかり saved"));
        QVERIFY(openMemo(kDay, [&](Form2& memo) {
            whenModalAppears([](QWidget* window) {
                auto* list = qobject_cast<frmVersions*>(window);
                QVERIFY(list);
                QVERIFY(list->lstVersions().item(0)->text().contains("保存しなかった編集"));
                list->close();
            });
            menuItem(&memo, "mnu_versions")->trigger();
            memo.close(); // unchanged: nothing more is kept
        }));
        QCOMPARE(test_->program->memoStore().versionsOf(kDay).size(), 1);
    }

    // A journal left by a program that was killed is offered at the next opening; of it and a
    // text kept beside the memo, the newer is offered and the other becomes a version; a
    // journal that cannot be written says so once, and editing goes on.
    void aJournalLeftBehindIsOfferedAndAFailingOneSaysSo() {
        MemoStore& store = test_->program->memoStore();
        QTextDocument left;
        left.setPlainText(QStringLiteral("from the journal"));
        store.writeJournal(kDay, rtf::DocumentSnapshot::of(left));
        QTRY_VERIFY(store.recoveryOf(kDay).has_value());
        clock_->set(clock_->now().addSecs(-3600)); // a text kept beside the memo, older
        QVERIFY(store.writeRecovery(kDay, left).ok);
        QVERIFY(openMemo(kDay, [&](Form2& memo) {
            QVERIFY2(memo.notice().contains("保存されないまま"), qPrintable(memo.notice()));
            follow(memo, "recovery:take");
            QCOMPARE(memo.RichTextBox1().toPlainText(), QStringLiteral("from the journal"));
            menuItem(&memo, "mnu_saveclose")->trigger();
        }));
        QVERIFY(!store.recoveryOf(kDay));
        QVERIFY(QDir(test_->memoFolder()).entryList({"*.recovered-*"}).isEmpty());
        QCOMPARE(store.versionsOf(kDay).size(), 1); // the older text; the journal's is the memo

        QVERIFY(QDir(test_->folder.filePath("state/orbeta")).removeRecursively());
        writeFile(test_->folder.filePath("state/orbeta"), "a file in the way");
        QVERIFY(openMemo(kDay, [&](Form2& memo) {
            typeText(&memo.RichTextBox1(), QStringLiteral("still typing "));
            QTRY_VERIFY_WITH_TIMEOUT(memo.notice().contains("控えておけません"), 10000);
            typeText(&memo.RichTextBox1(), QStringLiteral("more "));
            QVERIFY(memo.RichTextBox1().toPlainText().startsWith("still typing more"));
            QCOMPARE(memo.notice().count("控えておけません"), 1);
            menuItem(&memo, "mnu_saveclose")->trigger();
        }));
    }
};

QTEST_MAIN(TestMemoWindow)
#include "tst_memo_window.moc"
