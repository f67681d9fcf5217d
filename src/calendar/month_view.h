#pragma once

#include "memo/memo_summaries.h"

#include <QCalendarWidget>
#include <QDate>
#include <QHash>

#include <functional>

namespace orbeta {

// The one-month calendar, drawn as Japanese calendars are: Sunday and national holidays red,
// Saturday blue, the neighbouring months' days paler in the same hue, today framed. Days whose
// memo says something are bold; a day's tooltip names its holiday and begins its memo. In
// Japanese whatever the system's language, 1 January 1753 to 31 December 9999, telling which
// mouse button was released anywhere over it.
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

    // What the memos of a month say: day of the month → summary, for days with a memo file.
    using MemoMonth = std::function<QHash<int, MemoSummary>(int year, int month)>;
    void setMemoMonth(MemoMonth memoMonth);
    // Reads the month on view again: its memos and holidays.
    void refreshDays();

    // The colour of a day's number when it is not selected.
    QColor numberColour(QDate date) const;

    static const QColor kSundayRed;
    static const QColor kSaturdayBlue;
    static const QColor kTodayFrame;

Q_SIGNALS:
    void mouseUp(Qt::MouseButton button, QPoint globalPosition);

protected:
    void paintCell(QPainter* painter, const QRect& rect, QDate date) const override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool inShownMonth(QDate date) const;

    // A release that no piece accepts travels on to its parents; it is reported once.
    const QEvent* lastRelease_ = nullptr;
    quint64 lastReleaseTime_ = 0;
    MemoMonth memoMonth_;
    QDate today_;
    QHash<QDate, QString> holidays_; // of the days on view
};

} // namespace orbeta
