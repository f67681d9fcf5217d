#pragma once

#include <QDate>

namespace orbeta {

class Program;

// What double-clicking a day in the calendar does: titles the memo window with the day, loads
// the day's memo into it and shows it modally over the calendar until it is closed.
void openDayMemo(Program& program, QDate clickedDate);

} // namespace orbeta
