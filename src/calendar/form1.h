#pragma once

#include "app/form.h"

#include <QDate>
#include <QTime>

class QLabel;
class QMenu;

namespace orbeta {

class MonthView;
class Program;
class SecondTicker;

// The main window: a month calendar with a running clock beneath it and a context menu to end
// the program or show the About box. Double-clicking a day opens its memo.
class Form1 : public Form {
    Q_OBJECT
public:
    explicit Form1(Program& program);

    MonthView& MonthView1() const { return *monthView1_; }

protected:
    void unloadHandler() override;

private:
    void loadHandler();
    void showClock(QTime second);
    void monthViewMouseUp(Qt::MouseButton button, QPoint globalPosition);
    void monthViewDayActivated(QDate date);

    Program& program_;
    SecondTicker* timer1_;
    MonthView* monthView1_;
    QLabel* label1_;
    QMenu* p_menu_;
};

} // namespace orbeta
