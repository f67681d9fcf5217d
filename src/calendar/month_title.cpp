#include "calendar/month_title.h"

#include "calendar/japanese_era.h"

#include <QBoxLayout>
#include <QCalendarWidget>
#include <QSpinBox>
#include <QToolButton>

namespace orbeta {

MonthTitle::MonthTitle(QCalendarWidget& calendar)
    : QObject(&calendar), calendar_(calendar),
      yearButton_(calendar.findChild<QToolButton*>(QStringLiteral("qt_calendar_yearbutton"))),
      monthButton_(calendar.findChild<QToolButton*>(QStringLiteral("qt_calendar_monthbutton"))),
      bar_(calendar.findChild<QWidget*>(QStringLiteral("qt_calendar_navigationbar"))) {
    auto* yearEdit = calendar.findChild<QSpinBox*>(QStringLiteral("qt_calendar_yearedit"));
    auto* layout = bar_ ? qobject_cast<QBoxLayout*>(bar_->layout()) : nullptr;
    if (!yearButton_ || !monthButton_ || !yearEdit || !layout)
        return; // a Qt whose calendar is built otherwise keeps its own title

    // The year's box stands in the year button's place while the year is edited, with a spacer
    // just before the button keeping the room: the month moves to after the button.
    layout->removeWidget(monthButton_);
    layout->insertWidget(layout->indexOf(yearButton_) + 1, monthButton_);

    // The calendar writes the bare year into the button whenever the page changes, and after
    // the year is edited.
    connect(&calendar, &QCalendarWidget::currentPageChanged, this, &MonthTitle::showPage);
    connect(yearEdit, &QSpinBox::editingFinished, this, &MonthTitle::showPage);
    showPage();
}

void MonthTitle::showPage() {
    const int year = calendar_.yearShown();
    const int month = calendar_.monthShown();
    yearButton_->setText(QString::number(year) + u'年');
    const QString era = japaneseEraMonth(year, month);
    for (QWidget* piece :
         {static_cast<QWidget*>(yearButton_), static_cast<QWidget*>(monthButton_), bar_})
        piece->setToolTip(era);
}

} // namespace orbeta
