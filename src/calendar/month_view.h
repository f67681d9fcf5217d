#pragma once

#include "store/memo_store.h"

#include <QCalendarWidget>
#include <QDate>
#include <QHash>
#include <QSet>

#include <functional>

namespace orbeta {

// The one-month calendar, drawn as Japanese calendars are: Sunday and national holidays red,
// Saturday blue, the neighbouring months' days paler in the same hue, today framed. Days whose
// memo says something are bold, and a corner mark shows a day with a sync tool's copy of its
// memo; a day's tooltip names its holiday (and its 六曜, where asked for), begins its memo and
// names the copies. In Japanese whatever the system's language, 1 January 1753 to 31 December
// 9999, telling which mouse button was released anywhere over it.
class MonthView : public QCalendarWidget {
    Q_OBJECT
public:
    explicit MonthView(QWidget* parent);

    QDate Value() const { return selectedDate(); }
    void setValue(QDate date) { setSelectedDate(date); }
    int Year() const { return selectedDate().year(); }
    int Month() const { return selectedDate().month(); }
    int Day() const { return selectedDate().day(); }

    // The day marked as today; Home selects it. When it moves on, a selection still on the old
    // day moves with it.
    QDate today() const { return today_; }
    void setToday(QDate today);

    // What the memos of a month say: day of the month → summary, for days with a memo file or
    // a conflict copy.
    using MemoMonth = std::function<QHash<int, MemoStore::DaySummary>(int year, int month)>;
    void setMemoMonth(MemoMonth memoMonth);
    // Reads the month on view again: its memos and holidays.
    void refreshDays();
    // Whether a day is on the page shown.
    bool onPage(QDate day) const;
    // Whether each day's tooltip names its 六曜; off at first.
    void showRokuyo(bool shown);
    bool showsRokuyo() const { return showsRokuyo_; }

    // The colours drawn, from the palette in effect: a day's number when it is not selected,
    // today's frame, the corner of a day with a sync copy. Text reads at 4.5:1 against its
    // background, the frame, the corner and the days of the months around at 3:1.
    QColor numberColour(QDate date) const;
    QColor todayFrameColour() const;
    QColor copyMarkColour() const;

Q_SIGNALS:
    void mouseUp(Qt::MouseButton button, QPoint globalPosition);

protected:
    void paintCell(QPainter* painter, const QRect& rect, QDate date) const override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool inShownMonth(QDate date) const;
    void colourWeekdayNames();

    // A release that no piece accepts travels on to its parents; it is reported once.
    const QEvent* lastRelease_ = nullptr;
    quint64 lastReleaseTime_ = 0;
    MemoMonth memoMonth_;
    QDate today_;
    QHash<QDate, QString> holidays_; // of the days on view
    QSet<QDate> copies_;             // days on view with a conflict copy
    bool showsRokuyo_ = false;
};

} // namespace orbeta
