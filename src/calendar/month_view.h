#pragma once

#include <QCalendarWidget>
#include <QDate>
#include <QSet>

#include <functional>

namespace orbeta {

// The one-month calendar: Japanese whatever the system's language, 1 January 1753 to
// 31 December 9999, and telling which mouse button was released anywhere over it.
class MonthView : public QCalendarWidget {
    Q_OBJECT
public:
    explicit MonthView(QWidget* parent);

    QDate Value() const { return selectedDate(); }
    void setValue(QDate date) { setSelectedDate(date); }
    int Year() const { return selectedDate().year(); }
    int Month() const { return selectedDate().month(); }
    int Day() const { return selectedDate().day(); }

    // Days of a month that have a memo; they are shown in bold.
    using MemoDays = std::function<QSet<int>(int year, int month)>;
    void setMemoDays(MemoDays memoDays);
    void refreshMemoDays();

Q_SIGNALS:
    void mouseUp(Qt::MouseButton button, QPoint globalPosition);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // A release that no piece accepts travels on to its parents; it is reported once.
    const QEvent* lastRelease_ = nullptr;
    quint64 lastReleaseTime_ = 0;
    MemoDays memoDays_;
};

} // namespace orbeta
