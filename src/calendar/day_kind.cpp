#include "calendar/day_kind.h"

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

QColor dayColour(DayKind kind, const QColor& weekday) {
    switch (kind) {
    case DayKind::SundayOrHoliday:
        return kSundayRed;
    case DayKind::Saturday:
        return kSaturdayBlue;
    case DayKind::Weekday:
        break;
    }
    return weekday;
}

} // namespace orbeta
