#include "app/colour_scheme.h"
#include "app/readable_colours.h"
#include "calendar/form1.h"
#include "calendar/month_view.h"
#include "print/frm_print.h"
#include "print/print_output.h"
#include "print/print_request.h"
#include "program/program.h"
#include "support/memo_window.h"
#include "support/test_program.h"

#include <QBuffer>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QImage>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QStyle>
#include <QTemporaryFile>
#include <QTest>

#include <QTimer>
#include <unistd.h>

using namespace orbeta;

namespace {

// What a poppler tool says of a PDF; empty when the tool is missing.
QString poppler(const QString& tool, const QStringList& arguments, const QByteArray& pdf) {
    QTemporaryFile file;
    if (!file.open())
        return {};
    file.write(pdf);
    file.flush();
    QProcess process;
    QStringList all = arguments + QStringList{file.fileName()};
    if (tool == QLatin1String("pdftotext"))
        all << QStringLiteral("-"); // to its output
    process.start(tool, all);
    if (!process.waitForFinished(30000))
        return {};
    return QString::fromUtf8(process.readAllStandardOutput() + process.readAllStandardError());
}

// The first page as poppler draws it.
QImage firstPage(const QByteArray& pdf) {
    QTemporaryDir folder;
    QFile file(folder.filePath(QStringLiteral("page.pdf")));
    if (!file.open(QIODevice::WriteOnly) || file.write(pdf) != pdf.size())
        return {};
    file.close();
    QProcess::execute(QStringLiteral("pdftoppm"),
                      {QStringLiteral("-r"), QStringLiteral("40"), QStringLiteral("-png"),
                       QStringLiteral("-singlefile"), file.fileName(),
                       folder.filePath(QStringLiteral("page"))});
    return QImage(folder.filePath(QStringLiteral("page.png")));
}

QString textOf(const QByteArray& pdf) {
    return poppler(QStringLiteral("pdftotext"), {QStringLiteral("-raw")}, pdf);
}

// Every font of the PDF is embedded: pdffonts' "emb" column says yes on each line.
bool fontsEmbedded(const QByteArray& pdf) {
    QTemporaryFile file;
    file.open();
    file.write(pdf);
    file.flush();
    QProcess process;
    process.start(QStringLiteral("pdffonts"), {file.fileName()});
    process.waitForFinished(30000);
    const QStringList lines = QString::fromUtf8(process.readAllStandardOutput()).split(u'\n');
    int fonts = 0;
    for (const QString& line : lines.mid(2)) {
        if (line.trimmed().isEmpty())
            continue;
        ++fonts;
        const QStringList columns = line.split(u' ', Qt::SkipEmptyParts);
        if (columns.size() < 5 || !columns.contains(QStringLiteral("yes")))
            return false;
    }
    return fonts > 0;
}

QByteArray pngMemo(const QString& text, QSize size) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(QColor(30, 120, 200));
    QBuffer png;
    png.open(QIODevice::WriteOnly);
    image.save(&png, "PNG");
    return "{\\rtf1\\ansi\\uc0 " + text.toUtf8() + "\\par{\\pict\\pngblip\\picw" +
           QByteArray::number(size.width()) + "\\pich" + QByteArray::number(size.height()) + " " +
           png.data().toHex() + "}\\par}";
}

// Answers each modal window as it comes, by its kind, while it lives.
class Modals : public QObject {
public:
    std::function<void(frmPrint&)> onWhat;
    std::function<void(QFileDialog&)> onFiles;
    std::function<void(QPrintDialog&)> onPrint;
    std::function<void(QMessageBox&)> onMessage;

    Modals() {
        connect(&watch_, &QTimer::timeout, this, [this] {
            QWidget* modal = QApplication::activeModalWidget();
            if (!modal || modal == answered_ || !modal->isVisible())
                return;
            answered_ = modal;
            if (auto* what = qobject_cast<frmPrint*>(modal); what && onWhat)
                onWhat(*what);
            else if (auto* files = qobject_cast<QFileDialog*>(modal); files && onFiles)
                onFiles(*files);
            else if (auto* print = qobject_cast<QPrintDialog*>(modal); print && onPrint)
                onPrint(*print);
            else if (auto* box = qobject_cast<QMessageBox*>(modal); box && onMessage)
                onMessage(*box);
            else
                modal->close();
        });
        watch_.start(20);
    }

private:
    QTimer watch_;
    QPointer<QWidget> answered_;
};

} // namespace

// A month and a span of memos on paper and as PDF, read back with poppler, and 印刷 and
// PDF に保存 through the real windows.
class TestPrinting : public QObject {
    Q_OBJECT

    std::unique_ptr<TestProgram> test_;

private Q_SLOTS:
    void initTestCase() {
        QStandardPaths::setTestModeEnabled(true);
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
            QSKIP("poppler-utils are missing (scripts/setup-debian.sh test installs them)");
    }
    void init() {
        test_ = std::make_unique<TestProgram>();
        test_->program->form1().show();
        QVERIFY(QTest::qWaitForWindowExposed(&test_->program->form1()));
    }
    void cleanup() {
        closeStrayWindows();
        test_.reset();
        QApplication::setPalette(QApplication::style()->standardPalette());
    }

    // The month page: its title, era, weekdays, days, holidays and memos in the cells' order,
    // nothing of the months around, its fonts embedded and its title set.
    void aMonthAsPdf() {
        const QByteArray pdf = printing::monthPdf(2026, 5, [](QDate day) {
            if (day == QDate(2026, 4, 30))
                return QStringLiteral("四月の最後");
            return day.day() == 8 ? QStringLiteral("歯医者 15:30") : QString();
        });
        const QString text = textOf(pdf);
        QVERIFY2(text.contains("2026年5月") && text.contains("令和8年"), qPrintable(text));
        QVERIFY(text.indexOf("日") < text.indexOf("土"));
        QVERIFY(text.contains("みどりの日"));
        QVERIFY(text.indexOf("みどりの日") < text.indexOf("歯医者 15:30"));
        QVERIFY(text.indexOf("憲法記念日") < text.indexOf("みどりの日"));
        QVERIFY(!text.contains("四月の最後"));
        QVERIFY(fontsEmbedded(pdf));
        const QString info = poppler(QStringLiteral("pdfinfo"), {}, pdf);
        QVERIFY2(info.contains(QRegularExpression("Title: +2026年5月")), qPrintable(info));
    }

    // The memos of a span, each under its heading, in date order, whole, with a picture and
    // page numbers; the memos outside the span are not there.
    void aSpanOfMemosAsPdf() {
        const QByteArray memos[] = {
            "{\\rtf1\\ansi\\uc0 {\\b \\u25010?\\u27861?}\\u35352?\\u24565?\\u26085?\\par}",
            pngMemo(QStringLiteral("whiteboard"), QSize(120, 80)),
            "{\\rtf1 " + QByteArray("a long day of lines\\par ").repeated(200) + "the end\\par}"};
        const QList<QDate> days{QDate(2026, 5, 3), QDate(2026, 5, 6), QDate(2026, 5, 20)};
        const std::optional<QByteArray> pdf = printing::memosPdf(
            QStringLiteral("メモ"), days, [&](QDate day) { return memos[days.indexOf(day)]; });
        QVERIFY(pdf);
        const QString text = textOf(*pdf);
        const qsizetype first = text.indexOf("2026年5月3日（日）憲法記念日");
        QVERIFY2(first >= 0, qPrintable(text));
        QVERIFY(text.indexOf("憲法記念日", first + 10) > first);
        QVERIFY(text.indexOf("2026年5月6日（水）振替休日") > first);
        QVERIFY(text.indexOf("whiteboard") > text.indexOf("2026年5月6日"));
        QVERIFY(text.indexOf("2026年5月20日（水）") > text.indexOf("whiteboard"));
        QCOMPARE(text.count("a long day of lines"), 200);
        QVERIFY(text.contains("the end") && text.contains("- 1 -") && text.contains("- 2 -"));
        QVERIFY(poppler(QStringLiteral("pdfimages"), {QStringLiteral("-list")}, *pdf)
                    .contains("120    80"));
        QVERIFY(fontsEmbedded(*pdf));

        int told = 0;
        QVERIFY(!printing::memosPdf(
            QStringLiteral("メモ"), days, [&](QDate day) { return memos[days.indexOf(day)]; },
            [&](int done) { return ++told, done < 1; }));
    }

    // Paper is light whatever the screen: a month and memos (of no colour of their own, and
    // coloured) come out the same under a dark palette as under a light one.
    void paperIsTheSameWhateverTheScreen() {
        const QByteArray memo = "{\\rtf1\\ansi{\\colortbl;\\red0\\green0\\blue0;}"
                                "text of no colour\\par\\cf1 black text\\par}";
        const auto pages = [&] {
            return QList<QImage>{
                firstPage(
                    printing::monthPdf(2026, 5, [](QDate) { return QStringLiteral("予定"); })),
                firstPage(*printing::memosPdf(QStringLiteral("メモ"), {QDate(2026, 5, 3)},
                                              [&](QDate) { return memo; }))};
        };
        const QList<QImage> light = pages();
        QVERIFY(!light.at(0).isNull() && !light.at(1).isNull());
        ColourScheme scheme;
        scheme.follow(1);
        QVERIFY(isDark(QApplication::palette()));
        const QList<QImage> dark = pages();
        QVERIFY(dark.at(0) == light.at(0));
        QVERIFY(dark.at(1) == light.at(1));
    }

    // PDF に保存 from the calendar's menu: the span chosen in the small window, the name
    // proposed in the documents folder, the file written where it is typed; cancelled, nothing
    // is written; a folder that cannot be written says so and nothing is written.
    void pdfsSavedWhereTheUserTypes() {
        writeFile(test_->memoPath("2026512.rtf"), "{\\rtf1 a day in May\\par}");
        writeFile(test_->memoPath("2026612.rtf"), "{\\rtf1 a day in June\\par}");
        test_->program->form1().MonthView1().setCurrentPage(2026, 5);
        QTRY_VERIFY(test_->program->memoStore().month(2026, 5).contains(12));
        QString proposed;
        QString message;
        bool focused = false;
        const auto saveAs = [&](const QString& path, bool span) {
            Modals modals;
            modals.onWhat = [span](frmPrint& what) {
                QCOMPARE(what.windowTitle(), QStringLiteral("PDF に保存"));
                if (span)
                    what.findChild<QRadioButton*>("optSpan")->setChecked(true);
                what.findChild<QPushButton*>("cmdOK")->click();
            };
            modals.onFiles = [&](QFileDialog& files) {
                auto* name = files.findChild<QLineEdit*>("fileNameEdit");
                proposed = name->text();
                focused = QTest::qWaitFor([&] { return QApplication::focusWidget() == name; });
                if (path.isEmpty()) {
                    files.reject();
                    return;
                }
                name->setText(path);
                QTest::keyClick(name, Qt::Key_Return);
            };
            modals.onMessage = [&](QMessageBox& box) {
                message = box.text();
                box.close();
            };
            test_->program->print(frmPrint::Purpose::Pdf);
        };
        const QString target = test_->folder.filePath("may.pdf");
        saveAs(target, true);
        QCOMPARE(proposed, QStringLiteral("メモ 2026年5月1日-5月31日.pdf"));
        QVERIFY(focused);
        const QString text = textOf(readFile(target));
        QVERIFY2(text.contains("a day in May") && !text.contains("a day in June"),
                 qPrintable(text));

        saveAs(QString(), false); // cancelled in the file dialog
        QCOMPARE(proposed, QStringLiteral("2026年5月.pdf"));
        QCOMPARE(QDir(test_->folder.path()).entryList({"*.pdf"}), QStringList{"may.pdf"});

        // A file where the folder should be (no folder holds back root).
        const QString blocked = test_->folder.filePath("blocked");
        writeFile(blocked, "a file, not a folder");
        saveAs(blocked + "/month.pdf", false);
        QVERIFY2(message.startsWith("PDF を保存できませんでした。"), qPrintable(message));
        QVERIFY(message.contains("month.pdf"));
        QCOMPARE(readFile(blocked), QByteArray("a file, not a folder"));

        // With the 六曜 shown in the calendar, the month page shows them too.
        menuItem(&test_->program->form1(), "mnu_rokuyo")->trigger();
        const QString withRokuyo = test_->folder.filePath("rokuyo.pdf");
        saveAs(withRokuyo, false);
        const QString rokuyoText = textOf(readFile(withRokuyo));
        QVERIFY2(rokuyoText.contains("憲法記念日 先勝") && !text.contains("先勝"),
                 qPrintable(rokuyoText));
    }

    // 印刷: the print dialog comes, and what it is told to print goes there.
    void printingGoesThroughThePrintDialog() {
        writeFile(test_->memoPath("2026512.rtf"), "{\\rtf1 printed memo\\par}");
        test_->program->form1().MonthView1().setCurrentPage(2026, 5);
        QTRY_VERIFY(test_->program->memoStore().month(2026, 5).contains(12));
        const QString output = test_->folder.filePath("printed.pdf");
        bool printDialog = false;
        Modals modals;
        modals.onWhat = [](frmPrint& what) {
            QCOMPARE(what.windowTitle(), QStringLiteral("印刷"));
            what.findChild<QPushButton*>("cmdOK")->click();
        };
        modals.onPrint = [&](QPrintDialog& print) {
            printDialog = true;
            // Offscreen, the dialog proposes no file for its PDF printer.
            print.printer()->setOutputFileName(output);
            for (auto* name : print.findChildren<QLineEdit*>())
                if (name->objectName() == QLatin1String("filename"))
                    name->setText(output);
            print.accept();
        };
        test_->program->print(frmPrint::Purpose::Print);
        QVERIFY(printDialog);
        QTRY_VERIFY(QFileInfo(output).size() > 0);
        QVERIFY(textOf(readFile(output)).contains("printed memo"));
    }
};

QTEST_MAIN(TestPrinting)
#include "tst_printing.moc"
