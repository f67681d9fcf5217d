#pragma once

#include <QDate>
#include <QStringList>

namespace orbeta {

class Program;

// What double-clicking a day in the calendar does: titles the memo window with the day, loads
// the day's memo into it and shows it modally over the calendar until it is closed. The first
// place where any of the search terms occurs is selected. Gives the day whose memo it was: the
// day selected in the calendar.
QDate openDayMemo(Program& program, QDate clickedDate, const QStringList& searchTerms = {});

} // namespace orbeta
