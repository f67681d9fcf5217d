#pragma once

#include <QObject>

class QCalendarWidget;
class QToolButton;

namespace orbeta {

// The calendar's title as Japanese calendars write it, year before month ("2026年" "12月"),
// with the month in the era count as its tooltip ("令和8年12月"). Clicking the year still
// edits it and clicking the month still chooses one.
class MonthTitle : public QObject {
    Q_OBJECT
public:
    explicit MonthTitle(QCalendarWidget& calendar);

private:
    void showPage();

    QCalendarWidget& calendar_;
    QToolButton* yearButton_;
    QToolButton* monthButton_;
    QWidget* bar_;
};

} // namespace orbeta
