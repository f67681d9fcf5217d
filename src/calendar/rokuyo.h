#pragma once

#include <QDate>
#include <QString>

namespace orbeta {

// The 六曜 of a day (大安, 赤口, 先勝, 友引, 先負 or 仏滅), as Japanese calendars print it: from
// the day's place in the lunisolar calendar reckoned at Japan's time, (month + day) mod 6, a leap
// month counting as the month it follows. For 2033-2034, where the old rules give no answer, the
// leap eleventh month that calendar makers agreed on. Empty where it cannot be reckoned.
QString rokuyo(QDate date);

} // namespace orbeta
