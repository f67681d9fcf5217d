#include "print/memo_book.h"

#include "app/japanese_fonts.h"
#include "calendar/japanese_holidays.h"
#include "richtext/rtf_inline_objects.h"
#include "richtext/rtf_reader.h"
#include "store/memo_text.h"

#include <QAbstractTextDocumentLayout>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPalette>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

namespace orbeta {

namespace {

// Paper is white whatever the screen: text of no colour of its own is black on it.
QPalette paperPalette() {
    QPalette paper;
    for (const QPalette::ColorRole role : {QPalette::Text, QPalette::WindowText})
        paper.setColor(role, Qt::black);
    for (const QPalette::ColorRole role : {QPalette::Base, QPalette::Window})
        paper.setColor(role, Qt::white);
    paper.setColor(QPalette::Link, Qt::blue);
    paper.setColor(QPalette::LinkVisited, Qt::darkMagenta);
    return paper;
}

constexpr double kMemoPoints = 12; // as the editor shows it
constexpr double kGapPoints = 14;  // between one memo and the next
// A heading this near the foot of a page goes to the next, with its memo.
constexpr double kLeastRoomPoints = 72;

const QStringList& weekdayNames() {
    static const auto& names = *new QStringList{
        QStringLiteral("月"), QStringLiteral("火"), QStringLiteral("水"), QStringLiteral("木"),
        QStringLiteral("金"), QStringLiteral("土"), QStringLiteral("日")};
    return names;
}

} // namespace

QString MemoBook::heading(QDate day) {
    QString text = QStringLiteral("%1年%2月%3日（%4）")
                       .arg(day.year())
                       .arg(day.month())
                       .arg(day.day())
                       .arg(weekdayNames().at(day.dayOfWeek() - 1));
    if (const QString holiday = japaneseHoliday(day); !holiday.isEmpty())
        text += holiday;
    return text;
}

MemoBook::MemoBook(QPagedPaintDevice& device, QPainter& painter)
    : device_(device), painter_(painter) {
    pixelsPerPoint_ = device_.logicalDpiX() / 72.0;
    const double margin = kMarginPoints * pixelsPerPoint_;
    body_ = QSizeF(device_.width() - 2 * margin, device_.height() - 2 * margin);
}

bool MemoBook::add(QDate day, const QByteArray& content) {
    if (top_ > 0 && top_ + kLeastRoomPoints * pixelsPerPoint_ > body_.height()) {
        drawFooter();
        if (!device_.newPage())
            return false;
        ++page_;
        top_ = 0;
    }
    QTextDocument document;
    document.setUndoRedoEnabled(false);
    document.documentLayout()->setPaintDevice(&device_);
    document.setDefaultFont(fonts::pGothic(kMemoPoints));
    document.setDocumentMargin(0);
    document.setPageSize(body_);
    rtf::showInlineObjects(document);
    QTextCursor cursor(&document);
    QTextBlockFormat headingBlock;
    headingBlock.setTopMargin(top_ > 0 ? top_ + kGapPoints * pixelsPerPoint_ : 0);
    headingBlock.setBottomMargin(4 * pixelsPerPoint_);
    QTextCharFormat headingText;
    headingText.setFont(fonts::gothic(kHeadingPoints));
    headingText.setFontWeight(QFont::Bold);
    cursor.setBlockFormat(headingBlock);
    cursor.insertText(heading(day), headingText);
    cursor.insertBlock(QTextBlockFormat(), QTextCharFormat());
    if (!rtf::insertRtf(content, cursor).isRtf())
        cursor.insertText(plainMemoText(content));

    const double pageHeight = body_.height();
    const int pages = document.pageCount();
    const double margin = kMarginPoints * pixelsPerPoint_;
    for (int page = 0; page < pages; ++page) {
        if (page > 0) {
            drawFooter();
            if (!device_.newPage())
                return false;
            ++page_;
        }
        painter_.save();
        painter_.translate(margin, margin - page * pageHeight);
        // Half a pixel in from the page's edges: a line that begins the next page is not drawn
        // at the foot of this one too.
        const QRectF shown(0, page * pageHeight + 0.5, body_.width(), pageHeight - 1);
        painter_.setClipRect(shown);
        QAbstractTextDocumentLayout::PaintContext paper;
        paper.clip = shown;
        paper.palette = paperPalette();
        document.documentLayout()->draw(&painter_, paper);
        painter_.restore();
    }
    const QRectF last = document.documentLayout()->blockBoundingRect(document.lastBlock());
    top_ = last.bottom() - (pages - 1) * pageHeight;
    return true;
}

void MemoBook::finish() {
    drawFooter();
}

void MemoBook::drawFooter() {
    painter_.save();
    painter_.setFont(fonts::gothic(kFooterPoints));
    painter_.setPen(Qt::black);
    const double margin = kMarginPoints * pixelsPerPoint_;
    painter_.drawText(QRectF(0, device_.height() - margin, device_.width(), margin),
                      Qt::AlignCenter, QStringLiteral("- %1 -").arg(page_));
    painter_.restore();
}

} // namespace orbeta
