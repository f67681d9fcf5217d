#pragma once

#include "app/form.h"

#include <QDate>
#include <QDateTime>

class QLabel;
class QMenu;

namespace orbeta {

class Clock;
class MemoStore;
class MonthView;
class PositionStore;
class SecondTicker;

// The main window: a month calendar with a running clock beneath it and a context menu to end
// the program, search the memos, print them or save them as PDF, show each day's 六曜 or not, or
// show the About box. Days whose memo says something are bold. At midnight, and whenever the
// clock's day changes, today moves on. What the window asks for (a day's memo, the search, the
// About box, the end) it asks of whoever listens.
class Form1 : public Form {
    Q_OBJECT
public:
    Form1(const Clock& clock, PositionStore& positions, MemoStore& memos);

    MonthView& MonthView1() const { return *monthView1_; }

Q_SIGNALS:
    void memoRequested(QDate day);
    void searchRequested();
    void printRequested();
    void pdfRequested();
    void aboutRequested();
    void endRequested();
    // The window is about to unload; its position is stored after this.
    void unloading();

protected:
    void unloadHandler() override;

private:
    void makeMenu();
    void loadHandler();
    void showClock(const QDateTime& second);
    void monthViewMouseUp(Qt::MouseButton button, QPoint globalPosition);
    void memosChanged(const QList<QDate>& days);

    const Clock& clock_;
    PositionStore& positions_;
    MemoStore& memos_;
    SecondTicker* timer1_;
    MonthView* monthView1_;
    QLabel* label1_;
    QMenu* p_menu_ = nullptr;
    QAction* mnuRokuyo_ = nullptr;
};

} // namespace orbeta
