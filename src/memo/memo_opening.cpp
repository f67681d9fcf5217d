#include "memo/memo_opening.h"

#include "app/program.h"
#include "calendar/form1.h"
#include "calendar/month_view.h"
#include "memo/form2.h"

#include <QLocale>

namespace orbeta {

QDate openDayMemo(Program& program, QDate clickedDate, const QStringList& searchTerms) {
    // Touching the window loads it, and loading puts it where the user left it.
    Form2& memo = program.form2();
    memo.setWindowTitle(QStringLiteral("Orbeta ") +
                        QLocale::system().toString(clickedDate, QLocale::ShortFormat));
    const MonthView& calendar = program.form1().MonthView1();
    const QDate day(calendar.Year(), calendar.Month(), calendar.Day());
    memo.loadMemo(day);
    if (!searchTerms.isEmpty())
        memo.selectFirstHit(searchTerms);
    showModal(memo, program.form1());
    return day;
}

} // namespace orbeta
