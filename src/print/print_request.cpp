#include "print/print_request.h"

#include "print/print_output.h"
#include "store/exported_file.h"
#include "store/memo_store.h"
#include "store/memo_text.h"

#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QProgressDialog>
#include <QStandardPaths>

#include <memory>

namespace orbeta {

namespace {

void tell(QWidget* parent, const char* name, const QString& text) {
    QMessageBox box(QMessageBox::Information, QStringLiteral("Orbeta"), text, QMessageBox::Ok,
                    parent);
    box.setObjectName(QString::fromLatin1(name));
    box.exec();
}

QString titleOf(const frmPrint::Choice& choice) {
    if (choice.month)
        return QStringLiteral("%1年%2月").arg(choice.from.year()).arg(choice.from.month());
    const QString from = QStringLiteral("%1年%2月%3日")
                             .arg(choice.from.year())
                             .arg(choice.from.month())
                             .arg(choice.from.day());
    const QString to = choice.to.year() == choice.from.year()
                           ? QStringLiteral("%1月%2日").arg(choice.to.month()).arg(choice.to.day())
                           : QStringLiteral("%1年%2月%3日")
                                 .arg(choice.to.year())
                                 .arg(choice.to.month())
                                 .arg(choice.to.day());
    return QStringLiteral("メモ %1-%2").arg(from, to);
}

} // namespace

PrintRequest::PrintRequest(MemoStore& store, QWidget& owner, MonthSheet::DayNote note)
    : store_(store), owner_(owner), note_(std::move(note)) {}

QString PrintRequest::proposedName(const frmPrint::Choice& choice) {
    return titleOf(choice) + QStringLiteral(".pdf");
}

QString PrintRequest::documentsFolder() {
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return !documents.isEmpty() && QDir(documents).exists() ? documents : QDir::homePath();
}

void PrintRequest::run(frmPrint::Purpose purpose, QDate monthShown) {
    frmPrint what(purpose, monthShown, &owner_);
    if (what.exec() != QDialog::Accepted)
        return;
    const frmPrint::Choice choice = what.choice();
    QList<QDate> days;
    if (!choice.month) {
        days = daysWithMemos(choice.from, choice.to);
        if (days.isEmpty()) {
            tell(&owner_, "noMemos",
                 QStringLiteral("%1 にはメモがありません。").arg(titleOf(choice).mid(4)));
            return;
        }
    }
    if (purpose == frmPrint::Purpose::Pdf)
        savePdf(choice, days);
    else
        print(choice, days);
}

// The days of the span whose memo says something; sync copies and versions are no memos.
QList<QDate> PrintRequest::daysWithMemos(QDate from, QDate to) const {
    QList<QDate> days;
    for (const QDate day : store_.memoDays(from, to))
        if (!firstLines(memoText(day), 1, 1).isEmpty())
            days << day;
    return days;
}

QString PrintRequest::memoText(QDate day) const {
    return memoFileText(store_.memoContent(day).bytes);
}

// Where the memos take a while: a progress dialog that can cancel, after a second.
std::function<bool(int)> PrintRequest::progress(qsizetype total) {
    auto dialog = std::make_shared<QProgressDialog>(QStringLiteral("メモを用意しています…"),
                                                    QStringLiteral("キャンセル"), 0,
                                                    static_cast<int>(total), &owner_);
    dialog->setObjectName(QStringLiteral("dlgProgress"));
    dialog->setWindowModality(Qt::WindowModal);
    dialog->setMinimumDuration(1000);
    return [dialog](int done) {
        dialog->setValue(done);
        return !dialog->wasCanceled();
    };
}

void PrintRequest::savePdf(const frmPrint::Choice& choice, const QList<QDate>& days) {
    QFileDialog files(&owner_, QStringLiteral("PDF に保存"), documentsFolder(),
                      QStringLiteral("PDF (*.pdf)"));
    files.setObjectName(QStringLiteral("dlgSavePdf"));
    files.setAcceptMode(QFileDialog::AcceptSave);
    files.setDefaultSuffix(QStringLiteral("pdf"));
    files.selectFile(proposedName(choice));
    if (files.exec() != QDialog::Accepted || files.selectedFiles().isEmpty())
        return;
    const QString path = files.selectedFiles().first();
    std::optional<QByteArray> pdf;
    if (choice.month) {
        pdf = printing::monthPdf(
            choice.from.year(), choice.from.month(), [this](QDate day) { return memoText(day); },
            note_);
    } else {
        pdf = printing::memosPdf(
            titleOf(choice), days, [this](QDate day) { return store_.memoContent(day).bytes; },
            progress(days.size()));
    }
    if (!pdf)
        return; // cancelled: nothing written
    if (const SaveOutcome written = writeExportedFile(path, *pdf); !written.ok)
        tell(&owner_, "pdfFailed",
             QStringLiteral("PDF を保存できませんでした。\n\nファイル: %1\n理由: %2")
                 .arg(QDir::toNativeSeparators(path), written.reason));
}

void PrintRequest::print(const frmPrint::Choice& choice, const QList<QDate>& days) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageSize(printing::localPaper());
    printer.setPageOrientation(choice.month ? QPageLayout::Landscape : QPageLayout::Portrait);
    printer.setFullPage(true);
    printer.setDocName(titleOf(choice));
    QPrintDialog where(&printer, &owner_);
    where.setObjectName(QStringLiteral("dlgPrint"));
    where.setWindowTitle(QStringLiteral("印刷"));
    if (where.exec() != QDialog::Accepted)
        return;
    if (choice.month) {
        printing::paintMonth(
            printer, choice.from.year(), choice.from.month(),
            [this](QDate day) { return memoText(day); }, note_);
        return;
    }
    if (!printing::paintMemos(
            printer, days, [this](QDate day) { return store_.memoContent(day).bytes; },
            progress(days.size())))
        printer.abort();
}

} // namespace orbeta
