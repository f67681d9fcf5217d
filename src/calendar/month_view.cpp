#include "calendar/month_view.h"

#include <QMouseEvent>
#include <QTextCharFormat>

namespace orbeta {

MonthView::MonthView(QWidget* parent) : QCalendarWidget(parent) {
    setObjectName(QStringLiteral("MonthView1"));
    setLocale(QLocale(QLocale::Japanese, QLocale::Japan));
    setDateRange(QDate(1753, 1, 1), QDate(9999, 12, 31));
    setFirstDayOfWeek(Qt::Sunday);
    setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    setHorizontalHeaderFormat(QCalendarWidget::ShortDayNames);
    setGridVisible(false);

    // The calendar's own pieces (the year box, say) bring context menus of their own; here a
    // right click anywhere belongs to the window's menu.
    setContextMenuPolicy(Qt::PreventContextMenu);
    installEventFilter(this);
    for (QWidget* piece : findChildren<QWidget*>()) {
        piece->setContextMenuPolicy(Qt::PreventContextMenu);
        piece->installEventFilter(this);
    }
}

void MonthView::setMemoDays(MemoDays memoDays) {
    memoDays_ = std::move(memoDays);
    connect(this, &QCalendarWidget::currentPageChanged, this, &MonthView::refreshMemoDays,
            Qt::UniqueConnection);
    refreshMemoDays();
}

void MonthView::refreshMemoDays() {
    setDateTextFormat(QDate(), QTextCharFormat()); // clears every day's format
    if (!memoDays_)
        return;
    QTextCharFormat bold;
    bold.setFontWeight(QFont::Bold);
    const int year = yearShown();
    const int month = monthShown();
    for (const int day : memoDays_(year, month))
        setDateTextFormat(QDate(year, month, day), bold);
}

bool MonthView::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonRelease && watched->isWidgetType()) {
        const auto* release = static_cast<QMouseEvent*>(event);
        const bool seen = event == lastRelease_ && release->timestamp() == lastReleaseTime_;
        const QPoint at = release->globalPosition().toPoint();
        if (!seen && rect().contains(mapFromGlobal(at))) {
            lastRelease_ = event;
            lastReleaseTime_ = release->timestamp();
            Q_EMIT mouseUp(release->button(), at);
        }
    }
    return QCalendarWidget::eventFilter(watched, event);
}

} // namespace orbeta
