#include "calendar/day_kind.h"

#include "app/readable_colours.h"
#include "calendar/japanese_holidays.h"

namespace orbeta {

DayKind dayKindOf(QDate date) {
    return dayKindOf(date, !japaneseHoliday(date).isEmpty());
}

DayKind dayKindOf(QDate date, bool holiday) {
    if (date.dayOfWeek() == Qt::Sunday || holiday)
        return DayKind::SundayOrHoliday;
    if (date.dayOfWeek() == Qt::Saturday)
        return DayKind::Saturday;
    return DayKind::Weekday;
}

QColor dayColour(DayKind kind, const QColor& weekday, const QColor& background) {
    constexpr double ratio = kTextContrast * kSoftEdges;
    switch (kind) {
    case DayKind::SundayOrHoliday:
        return readableOn(QColor(kSundayRed), background, ratio);
    case DayKind::Saturday:
        return readableOn(QColor(kSaturdayBlue), background, ratio);
    case DayKind::Weekday:
        break;
    }
    return readableOn(weekday, background, ratio);
}

} // namespace orbeta
