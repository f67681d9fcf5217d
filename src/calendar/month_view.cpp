#include "calendar/month_view.h"

#include "app/readable_colours.h"
#include "calendar/day_kind.h"
#include "calendar/japanese_holidays.h"
#include "calendar/month_title.h"
#include "calendar/rokuyo.h"

#include <QAbstractItemView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QTextCharFormat>

namespace orbeta {

namespace {

constexpr QRgb kTodayFrame = qRgb(240, 140, 0);

// How far a neighbouring month's day fades towards the background.
constexpr double kPaleness = 0.55;
// The page shows at most six weeks, beginning up to a week before the first of the month.
constexpr int kDaysBeforeFirst = 7;
constexpr int kDaysOnPage = 6 * 7 + kDaysBeforeFirst;

constexpr int kCopyMarkPixels = 6;

// A tooltip as rich text of its own making, so that nothing a memo says is read as markup.
QString dayToolTip(const QString& holiday, const QString& rokuyo,
                   const MemoStore::DaySummary* memo) {
    QStringList parts;
    QStringList first;
    if (!holiday.isEmpty())
        first << QStringLiteral("<b>") + holiday.toHtmlEscaped() + QStringLiteral("</b>");
    if (!rokuyo.isEmpty())
        first << rokuyo;
    if (!first.isEmpty())
        parts << first.join(QStringLiteral("　"));
    if (memo && !memo->firstLines.isEmpty())
        parts << memo->firstLines.toHtmlEscaped();
    if (memo && !memo->copies.isEmpty()) {
        QString copies = memo->copies.join(QStringLiteral("、"));
        if (memo->moreCopies > 0)
            copies += QStringLiteral("、ほか %1 件")
                          .arg(QLocale(QLocale::Japanese).toString(memo->moreCopies));
        parts << QStringLiteral("<i>ほかの端末で保存された版（同期ツールのコピー）があります: ") +
                     copies.toHtmlEscaped() + QStringLiteral("</i>");
    }
    if (parts.isEmpty())
        return {};
    return QStringLiteral("<p style=\"white-space:pre-wrap\">") +
           parts.join(QStringLiteral("<br>")) + QStringLiteral("</p>");
}

} // namespace

MonthView::MonthView(QWidget* parent) : QCalendarWidget(parent) {
    setObjectName(QStringLiteral("MonthView1"));
    setLocale(QLocale(QLocale::Japanese, QLocale::Japan));
    setDateRange(QDate(1753, 1, 1), QDate(9999, 12, 31));
    setFirstDayOfWeek(Qt::Sunday);
    setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    setHorizontalHeaderFormat(QCalendarWidget::ShortDayNames);
    setGridVisible(false);
    colourWeekdayNames();
    new MonthTitle(*this);

    // The calendar's own pieces (the year box, say) bring context menus of their own; here a
    // right click anywhere belongs to the window's menu.
    setContextMenuPolicy(Qt::PreventContextMenu);
    installEventFilter(this);
    for (QWidget* piece : findChildren<QWidget*>()) {
        piece->setContextMenuPolicy(Qt::PreventContextMenu);
        piece->installEventFilter(this);
    }
    connect(this, &QCalendarWidget::currentPageChanged, this, &MonthView::refreshDays);
    refreshDays();
}

// The day names above the columns, on the window's colour; the days themselves are drawn by
// paintCell.
void MonthView::colourWeekdayNames() {
    const QColor background = palette().color(QPalette::Window);
    const QColor text = palette().color(QPalette::WindowText);
    QTextCharFormat sunday;
    sunday.setForeground(dayColour(DayKind::SundayOrHoliday, text, background));
    setWeekdayTextFormat(Qt::Sunday, sunday);
    QTextCharFormat saturday;
    saturday.setForeground(dayColour(DayKind::Saturday, text, background));
    setWeekdayTextFormat(Qt::Saturday, saturday);
}

// Another palette (the desktop turned dark, say): every colour is chosen again.
void MonthView::changeEvent(QEvent* event) {
    QCalendarWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange) {
        colourWeekdayNames();
        findChild<QAbstractItemView*>()->viewport()->update();
    }
}

void MonthView::setToday(QDate today) {
    if (today == today_)
        return;
    const QDate before = today_;
    today_ = today;
    if (before.isValid() && selectedDate() == before)
        setSelectedDate(today); // turns the page when the month ends
    update();
    findChild<QAbstractItemView*>()->viewport()->update();
}

void MonthView::setMemoMonth(MemoMonth memoMonth) {
    memoMonth_ = std::move(memoMonth);
    refreshDays();
}

void MonthView::refreshDays() {
    const QDate first(yearShown(), monthShown(), 1);
    holidays_.clear();
    for (QDate day = first.addDays(-kDaysBeforeFirst); day < first.addDays(kDaysOnPage);
         day = day.addDays(1)) {
        if (QString name = japaneseHoliday(day); !name.isEmpty())
            holidays_.insert(day, std::move(name));
    }
    const QHash<int, MemoStore::DaySummary> memos =
        memoMonth_ ? memoMonth_(first.year(), first.month()) : QHash<int, MemoStore::DaySummary>();

    setDateTextFormat(QDate(), QTextCharFormat()); // clears every day's format
    copies_.clear();
    const auto rokuyoOf = [this](QDate day) {
        return showsRokuyo_ ? rokuyo(day) : QString();
    };
    for (QDate day = first.addDays(-kDaysBeforeFirst); day < first.addDays(kDaysOnPage);
         day = day.addDays(1)) {
        if (inShownMonth(day) && memos.contains(day.day()))
            continue; // with the memo below
        if (const QString tip = dayToolTip(holidays_.value(day), rokuyoOf(day), nullptr);
            !tip.isEmpty()) {
            QTextCharFormat format;
            format.setToolTip(tip);
            setDateTextFormat(day, format);
        }
    }
    for (auto memo = memos.cbegin(); memo != memos.cend(); ++memo) {
        const QDate day(first.year(), first.month(), memo.key());
        QTextCharFormat format;
        format.setToolTip(dayToolTip(holidays_.value(day), rokuyoOf(day), &memo.value()));
        if (memo->saysSomething)
            format.setFontWeight(QFont::Bold);
        if (!memo->copies.isEmpty())
            copies_.insert(day);
        setDateTextFormat(day, format);
    }
    findChild<QAbstractItemView*>()->viewport()->update();
}

void MonthView::showRokuyo(bool shown) {
    if (shown == showsRokuyo_)
        return;
    showsRokuyo_ = shown;
    refreshDays();
}

bool MonthView::onPage(QDate day) const {
    const QDate first(yearShown(), monthShown(), 1);
    return day >= first.addDays(-kDaysBeforeFirst) && day < first.addDays(kDaysOnPage);
}

bool MonthView::inShownMonth(QDate date) const {
    return date.month() == monthShown() && date.year() == yearShown();
}

QColor MonthView::numberColour(QDate date) const {
    const bool outside = date < minimumDate() || date > maximumDate();
    const QColor background = palette().color(outside ? QPalette::Window : QPalette::Base);
    QColor colour = dayColour(dayKindOf(date, holidays_.contains(date)),
                              palette().color(QPalette::Text), background);
    if (!inShownMonth(date) || outside) // paler, but still to be read
        colour = readableOn(blended(colour, background, kPaleness), background,
                            kMarkContrast * kSoftEdges);
    return colour;
}

QColor MonthView::todayFrameColour() const {
    return readableOn(QColor(kTodayFrame), palette().color(QPalette::Base), kMarkContrast);
}

QColor MonthView::copyMarkColour() const {
    return syncCopyColour(palette().color(QPalette::Base), kMarkContrast);
}

void MonthView::paintCell(QPainter* painter, const QRect& rect, QDate date) const {
    const QPalette::ColorGroup group = isActiveWindow() ? QPalette::Active : QPalette::Inactive;
    const bool selected = date == selectedDate();
    const bool outside = date < minimumDate() || date > maximumDate();
    painter->save();
    painter->fillRect(rect, palette().brush(group, selected  ? QPalette::Highlight
                                                   : outside ? QPalette::Window
                                                             : QPalette::Base));
    QFont font = this->font();
    font.setBold(dateTextFormat(date).fontWeight() >= QFont::Bold);
    painter->setFont(font);
    painter->setPen(selected ? palette().color(group, QPalette::HighlightedText)
                             : numberColour(date));
    painter->drawText(rect, Qt::AlignCenter, QString::number(date.day()));
    if (date == today_) {
        QPen frame(todayFrameColour(), 2);
        frame.setJoinStyle(Qt::MiterJoin);
        painter->setPen(frame);
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(QRectF(rect).adjusted(1, 1, -1, -1));
    }
    if (copies_.contains(date)) { // a corner folded over: another version of the memo
        const QPoint corner = rect.topRight() + QPoint(-2, 2); // inside today's frame
        const QPoint points[] = {corner, corner - QPoint(kCopyMarkPixels, 0),
                                 corner + QPoint(0, kCopyMarkPixels)};
        painter->setPen(Qt::NoPen);
        painter->setBrush(copyMarkColour());
        painter->drawPolygon(points, 3);
    }
    painter->restore();
}

bool MonthView::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && today_.isValid()) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Home && key->modifiers() == Qt::NoModifier &&
            qobject_cast<QAbstractItemView*>(watched)) {
            setSelectedDate(today_);
            return true;
        }
    }
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
