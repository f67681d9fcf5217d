#pragma once

#include <QColor>
#include <QDate>

namespace orbeta {

// How Japanese calendars show a day: Sundays and national holidays in red, Saturdays in blue,
// other days in the text's own colour. For every list of days, not only the calendar's.
enum class DayKind { Weekday, Saturday, SundayOrHoliday };

inline constexpr QRgb kSundayRed = qRgb(214, 0, 0);
inline constexpr QRgb kSaturdayBlue = qRgb(0, 64, 214);

DayKind dayKindOf(QDate date);
// The same where whether it is a national holiday is known already.
DayKind dayKindOf(QDate date, bool holiday);
// The colour of a day of this kind, given the colour of a weekday and what is behind it: the red
// and the blue as they are where they read (a light background), lighter where they would not.
QColor dayColour(DayKind kind, const QColor& weekday, const QColor& background);

} // namespace orbeta
