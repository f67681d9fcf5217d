#pragma once

#include "print/memo_book.h"
#include "print/month_sheet.h"

#include <QByteArray>
#include <QDate>
#include <QList>
#include <QPageSize>
#include <QString>

#include <functional>
#include <optional>

class QPagedPaintDevice;

namespace orbeta {

// What 印刷 and PDF に保存 put on pages, on any paged device: a printer, or a PDF in memory.
namespace printing {

// The paper of the user's country: Letter where it is used, else A4.
QPageSize localPaper();

// The month on one landscape page.
void paintMonth(QPagedPaintDevice& device, int year, int month,
                const MonthSheet::MemoText& memoText, const MonthSheet::DayNote& note = {});

// The memos of these days on portrait pages; `going` is told how many are done, and stops the
// work by answering false. False when stopped.
bool paintMemos(QPagedPaintDevice& device, const QList<QDate>& days,
                const MemoBook::Content& content, const std::function<bool(int done)>& going = {});

// The same as a PDF: its fonts embedded, its text to be found, titled; nothing when stopped.
QByteArray monthPdf(int year, int month, const MonthSheet::MemoText& memoText,
                    const MonthSheet::DayNote& note = {});
std::optional<QByteArray> memosPdf(const QString& title, const QList<QDate>& days,
                                   const MemoBook::Content& content,
                                   const std::function<bool(int done)>& going = {});

} // namespace printing
} // namespace orbeta
