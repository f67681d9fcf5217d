#include "print/print_output.h"

#include "app/version.h"

#include <QBuffer>
#include <QLocale>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>

namespace orbeta::printing {

namespace {

constexpr int kPdfResolution = 300;

void prepare(QPdfWriter& writer, const QString& title, QPageLayout::Orientation orientation) {
    writer.setTitle(title);
    writer.setCreator(QStringLiteral("Orbeta ") + version::shown());
    writer.setResolution(kPdfResolution);
    writer.setPageLayout(QPageLayout(localPaper(), orientation, QMarginsF()));
}

} // namespace

QPageSize localPaper() {
    return QLocale::system().measurementSystem() == QLocale::ImperialUSSystem
               ? QPageSize(QPageSize::Letter)
               : QPageSize(QPageSize::A4);
}

void paintMonth(QPagedPaintDevice& device, int year, int month,
                const MonthSheet::MemoText& memoText, const MonthSheet::DayNote& note) {
    const double pixelsPerPoint = device.logicalDpiX() / 72.0;
    const MonthSheet sheet = MonthSheet::lay(
        year, month, QSizeF(device.width(), device.height()) / pixelsPerPoint, memoText, note);
    QPainter painter(&device);
    sheet.paint(painter, pixelsPerPoint);
}

bool paintMemos(QPagedPaintDevice& device, const QList<QDate>& days,
                const MemoBook::Content& content, const std::function<bool(int done)>& going) {
    QPainter painter(&device);
    MemoBook book(device, painter);
    for (qsizetype i = 0; i < days.size(); ++i) {
        if (going && !going(static_cast<int>(i)))
            return false;
        if (!book.add(days.at(i), content(days.at(i))))
            return false;
    }
    book.finish();
    return !going || going(static_cast<int>(days.size()));
}

QByteArray monthPdf(int year, int month, const MonthSheet::MemoText& memoText,
                    const MonthSheet::DayNote& note) {
    QBuffer pdf;
    pdf.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&pdf);
        prepare(writer, QStringLiteral("%1年%2月").arg(year).arg(month), QPageLayout::Landscape);
        paintMonth(writer, year, month, memoText, note);
    }
    return pdf.data();
}

std::optional<QByteArray> memosPdf(const QString& title, const QList<QDate>& days,
                                   const MemoBook::Content& content,
                                   const std::function<bool(int done)>& going) {
    QBuffer pdf;
    pdf.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&pdf);
        prepare(writer, title, QPageLayout::Portrait);
        if (!paintMemos(writer, days, content, going))
            return std::nullopt;
    }
    return pdf.data();
}

} // namespace orbeta::printing
