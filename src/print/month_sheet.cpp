#include "print/month_sheet.h"

#include "app/japanese_fonts.h"
#include "calendar/japanese_era.h"
#include "calendar/japanese_holidays.h"

#include <QFontMetricsF>
#include <QImage>
#include <QPainter>

namespace orbeta {

namespace {

constexpr double kTitleHeight = 36;
constexpr double kHeaderHeight = 18;
constexpr double kPadding = 3;
constexpr double kTitlePoints = 20;
constexpr double kEraPoints = 11;
constexpr double kHeaderPoints = 9;

// Paper is light whatever the screen is: the calendar's own colours.
const QColor kGrid(160, 160, 160);

QColor colourOf(DayKind kind) {
    switch (kind) {
    case DayKind::SundayOrHoliday:
        return QColor(kSundayRed);
    case DayKind::Saturday:
        return QColor(kSaturdayBlue);
    case DayKind::Weekday:
        break;
    }
    return Qt::black;
}

// Widths in points: measured at 72 dots an inch.
QFontMetricsF pointMetrics(const QFont& font) {
    static const QImage& pointDevice = []() -> const QImage& {
        auto* image = new QImage(1, 1, QImage::Format_ARGB32);
        image->setDotsPerMeterX(2835); // 72 an inch
        image->setDotsPerMeterY(2835);
        return *image;
    }();
    return QFontMetricsF(font, &pointDevice);
}

// The memo's lines that say something, each cut to the width; as many as `count`, the last
// with "…" where more is left.
QStringList fittedLines(const QString& text, double width, int count, bool& more) {
    const QFontMetricsF metrics = pointMetrics(fonts::gothic(MonthSheet::kSmallPoints));
    QStringList lines;
    more = false;
    QString pending;
    const auto flush = [&](const QString& line) {
        if (lines.size() == count) {
            more = true;
            return false;
        }
        lines << line;
        return true;
    };
    for (const QString& paragraph : text.split(u'\n')) {
        const QString said = paragraph.trimmed();
        if (said.isEmpty())
            continue;
        QString line;
        for (const QChar c : said) {
            if (metrics.horizontalAdvance(line + c) > width && !line.isEmpty()) {
                if (!flush(line))
                    break;
                line.clear();
            }
            line += c;
        }
        if (more || !flush(line))
            break;
    }
    if (more && !lines.isEmpty()) {
        QString& last = lines.last();
        while (!last.isEmpty() && metrics.horizontalAdvance(last + u'…') > width)
            last.chop(1);
        last += u'…';
    }
    return lines;
}

} // namespace

MonthSheet MonthSheet::lay(int year, int month, QSizeF page, const MemoText& memoText,
                           const DayNote& note) {
    MonthSheet sheet;
    sheet.page = page;
    const QDate first(year, month, 1);
    sheet.title = QStringLiteral("%1年%2月").arg(year).arg(month);
    if (const std::optional<EraYear> era = japaneseEraOf(first))
        sheet.era = era->text();
    const QRectF content(kMargin, kMargin, page.width() - 2 * kMargin, page.height() - 2 * kMargin);
    sheet.titleRect = QRectF(content.left(), content.top(), content.width(), kTitleHeight);
    const double columnWidth = content.width() / 7;
    const QStringList names{QStringLiteral("日"), QStringLiteral("月"), QStringLiteral("火"),
                            QStringLiteral("水"), QStringLiteral("木"), QStringLiteral("金"),
                            QStringLiteral("土")};
    for (int column = 0; column < 7; ++column)
        sheet.weekdays.append({names.at(column),
                               QRectF(content.left() + column * columnWidth,
                                      content.top() + kTitleHeight, columnWidth, kHeaderHeight),
                               column == 0   ? DayKind::SundayOrHoliday
                               : column == 6 ? DayKind::Saturday
                                             : DayKind::Weekday});
    const int lead = first.dayOfWeek() % 7; // Sunday first
    sheet.rows = (lead + first.daysInMonth() + 6) / 7;
    const double gridTop = content.top() + kTitleHeight + kHeaderHeight;
    const double rowHeight = (content.bottom() - gridTop) / sheet.rows;
    const QFontMetricsF numberMetrics = pointMetrics(fonts::gothic(kNumberPoints));
    const int linesInCell =
        static_cast<int>((rowHeight - kNumberPoints - 3 * kPadding) / kLineHeight);
    for (int index = 0; index < sheet.rows * 7; ++index) {
        Cell cell;
        const int row = index / 7;
        const int column = index % 7;
        cell.rect = QRectF(content.left() + column * columnWidth, gridTop + row * rowHeight,
                           columnWidth, rowHeight);
        const int dayNumber = index - lead + 1;
        if (dayNumber >= 1 && dayNumber <= first.daysInMonth()) {
            cell.day = QDate(year, month, dayNumber);
            cell.holiday = japaneseHoliday(cell.day);
            cell.kind = dayKindOf(cell.day, !cell.holiday.isEmpty());
            if (note)
                cell.note = note(cell.day);
            const QString number = QString::number(dayNumber);
            cell.numberRect =
                QRectF(cell.rect.left() + kPadding, cell.rect.top() + kPadding,
                       numberMetrics.horizontalAdvance(number) + 1, kNumberPoints + 2);
            const QString beside = QStringList{cell.holiday, cell.note}.join(u' ').trimmed();
            cell.holidayRect = QRectF(
                cell.numberRect.right() + kPadding, cell.rect.top() + kPadding + 2,
                cell.rect.right() - cell.numberRect.right() - 2 * kPadding, kSmallPoints + 3);
            if (beside.isEmpty())
                cell.holidayRect = QRectF();
            const double width = cell.rect.width() - 2 * kPadding;
            cell.lines = fittedLines(memoText ? memoText(cell.day) : QString(), width,
                                     std::max(0, linesInCell), cell.more);
            for (int line = 0; line < cell.lines.size(); ++line)
                cell.lineRects << QRectF(cell.rect.left() + kPadding,
                                         cell.numberRect.bottom() + kPadding + line * kLineHeight,
                                         width, kLineHeight);
        }
        sheet.cells << cell;
    }
    return sheet;
}

void MonthSheet::paint(QPainter& painter, double pixelsPerPoint) const {
    const auto scaled = [pixelsPerPoint](const QRectF& rect) {
        return QRectF(rect.topLeft() * pixelsPerPoint, rect.size() * pixelsPerPoint);
    };
    painter.save();
    painter.setPen(Qt::black);
    QFont titleFont = fonts::gothic(kTitlePoints);
    titleFont.setBold(true);
    painter.setFont(titleFont);
    const QRectF titleArea = scaled(titleRect);
    QRectF used;
    painter.drawText(titleArea, Qt::AlignLeft | Qt::AlignVCenter, title, &used);
    painter.setFont(fonts::gothic(kEraPoints));
    painter.drawText(titleArea.adjusted(used.width() + 12 * pixelsPerPoint, 0, 0, 0),
                     Qt::AlignLeft | Qt::AlignVCenter, era);
    painter.setFont(fonts::gothic(kHeaderPoints));
    for (const Weekday& weekday : weekdays) {
        painter.setPen(colourOf(weekday.kind));
        painter.drawText(scaled(weekday.rect), Qt::AlignCenter, weekday.name);
    }
    QFont numberFont = fonts::gothic(kNumberPoints);
    numberFont.setBold(true);
    const QFont small = fonts::gothic(kSmallPoints);
    for (const Cell& cell : cells) {
        painter.setPen(QPen(kGrid, 0.5 * pixelsPerPoint));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(scaled(cell.rect));
        if (!cell.day.isValid())
            continue;
        painter.setPen(colourOf(cell.kind));
        painter.setFont(numberFont);
        painter.drawText(scaled(cell.numberRect), Qt::AlignLeft | Qt::AlignTop,
                         QString::number(cell.day.day()));
        painter.setFont(small);
        if (!cell.holidayRect.isNull())
            painter.drawText(scaled(cell.holidayRect), Qt::AlignLeft | Qt::AlignVCenter,
                             QStringList{cell.holiday, cell.note}.join(u' ').trimmed());
        painter.setPen(Qt::black);
        for (int line = 0; line < cell.lines.size(); ++line)
            painter.drawText(scaled(cell.lineRects.at(line)), Qt::AlignLeft | Qt::AlignVCenter,
                             cell.lines.at(line));
    }
    painter.restore();
}

} // namespace orbeta
