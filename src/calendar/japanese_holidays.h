#pragma once

#include <QDate>
#include <QString>

namespace orbeta {

// The national holiday that falls on the date, by its name in the holiday law (元日, 春分の日,
// 振替休日, 国民の休日, 即位礼正殿の儀, ...), or an empty string. The law took effect in 1948;
// outside 1949-2099 the answer is always empty.
QString japaneseHoliday(QDate date);

// The day of March (spring) or September (autumn) on which the equinox falls in Japan, by the
// usual astronomical approximation, for 1900-2150; 0 outside those years.
int springEquinoxDay(int year);
int autumnEquinoxDay(int year);

} // namespace orbeta
