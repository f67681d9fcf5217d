#pragma once

#include "print/frm_print.h"
#include "print/month_sheet.h"

#include <QDate>
#include <QList>
#include <QString>

class QWidget;

namespace orbeta {

class MemoStore;

// The calendar's 印刷 and PDF に保存: what to put on paper (frmPrint), then where (the print
// dialog, or a file dialog that proposes a name in the documents folder), then the pages, with
// a progress dialog that can cancel where they take a while. Whatever is cancelled writes
// nothing; a PDF is written whole or not at all, and a failure says which file and why.
class PrintRequest {
public:
    PrintRequest(MemoStore& store, QWidget& owner, MonthSheet::DayNote note = {});

    void run(frmPrint::Purpose purpose, QDate monthShown);

    // 2026年5月.pdf for a month, メモ 2026年5月1日-5月31日.pdf for a span.
    static QString proposedName(const frmPrint::Choice& choice);
    // The user's documents folder, or the home folder where there is none.
    static QString documentsFolder();

private:
    QList<QDate> daysWithMemos(QDate from, QDate to) const;
    QString memoText(QDate day) const;
    void savePdf(const frmPrint::Choice& choice, const QList<QDate>& days);
    void print(const frmPrint::Choice& choice, const QList<QDate>& days);
    std::function<bool(int)> progress(qsizetype total);

    MemoStore& store_;
    QWidget& owner_;
    MonthSheet::DayNote note_;
};

} // namespace orbeta
