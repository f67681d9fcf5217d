#pragma once

#include "app/form.h"
#include "memo/memo_summaries.h"

#include <QDate>
#include <QDateTime>

class QLabel;
class QMenu;

namespace orbeta {

class MemoWatch;
class MonthView;
class Program;
class SecondTicker;

// The main window: a month calendar with a running clock beneath it and a context menu to end
// the program or show the About box. Double-clicking a day opens its memo. At midnight, and
// whenever the clock's day changes, today moves on.
class Form1 : public Form {
    Q_OBJECT
public:
    explicit Form1(Program& program);

    MonthView& MonthView1() const { return *monthView1_; }

protected:
    void unloadHandler() override;

private:
    void loadHandler();
    void showClock(const QDateTime& second);
    void monthViewMouseUp(Qt::MouseButton button, QPoint globalPosition);
    void monthViewDayActivated(QDate date);

    Program& program_;
    MemoSummaries memoSummaries_;
    MemoWatch* memoWatch_ = nullptr;
    SecondTicker* timer1_;
    MonthView* monthView1_;
    QLabel* label1_;
    QMenu* p_menu_;
};

} // namespace orbeta
