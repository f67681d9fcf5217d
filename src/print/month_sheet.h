#pragma once

#include "calendar/day_kind.h"

#include <QDate>
#include <QList>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QStringList>

#include <functional>

class QPainter;

namespace orbeta {

// A month on one landscape page, as a Japanese desk calendar shows it: the title (2026年5月)
// with the era, the weekdays from Sunday, one row for each week the month touches, every day a
// cell with its number in its colour (Sundays and holidays red, Saturdays blue), its holiday's
// name beside it, and the first lines of its memo, as many as fit, with "…" where more is
// hidden. Laid out as data first, in points (1/72 inch), then painted; nothing depends on today.
struct MonthSheet {
    struct Weekday {
        QString name;
        QRectF rect;
        DayKind kind = DayKind::Weekday;
    };
    struct Cell {
        QDate day; // invalid for the days of the months around: left empty
        QRectF rect;
        QRectF numberRect;
        DayKind kind = DayKind::Weekday;
        QString holiday;
        QRectF holidayRect;
        QString note;      // beside the holiday: the 六曜, where asked for
        QStringList lines; // of the memo, each fitting the cell's width
        QList<QRectF> lineRects;
        bool more = false; // the memo says more than the cell shows
    };

    QSizeF page;
    QRectF titleRect;
    QString title; // 2026年5月
    QString era;   // 令和8年
    QList<Weekday> weekdays;
    int rows = 0;
    QList<Cell> cells; // row by row, Sunday first

    // The text of a day's memo; empty for a day without one.
    using MemoText = std::function<QString(QDate day)>;
    // Something to show beside a day's holiday (the 六曜), or nothing.
    using DayNote = std::function<QString(QDate day)>;

    static MonthSheet lay(int year, int month, QSizeF page, const MemoText& memoText,
                          const DayNote& note = {});
    // Paints on a device with this many pixels a point.
    void paint(QPainter& painter, double pixelsPerPoint) const;

    static constexpr double kMargin = 28;
    static constexpr double kNumberPoints = 12;
    static constexpr double kSmallPoints = 7;
    static constexpr double kLineHeight = 9;
};

} // namespace orbeta
