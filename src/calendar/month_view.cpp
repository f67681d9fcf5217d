#include "calendar/month_view.h"

#include "calendar/day_kind.h"
#include "calendar/japanese_holidays.h"
#include "calendar/month_title.h"

#include <QAbstractItemView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QTextCharFormat>

namespace orbeta {

const QColor MonthView::kTodayFrame(240, 140, 0);
const QColor MonthView::kCopyMark(176, 96, 0);

namespace {

// How far a neighbouring month's day fades towards the background.
constexpr double kPaleness = 0.55;
// The page shows at most six weeks, beginning up to a week before the first of the month.
constexpr int kDaysBeforeFirst = 7;
constexpr int kDaysOnPage = 6 * 7 + kDaysBeforeFirst;

QColor blended(const QColor& colour, const QColor& towards, double share) {
    const auto mix = [share](int from, int to) {
        return static_cast<int>(from + (to - from) * share + 0.5);
    };
    return QColor(mix(colour.red(), towards.red()), mix(colour.green(), towards.green()),
                  mix(colour.blue(), towards.blue()));
}

constexpr int kCopyMarkPixels = 6;

// A tooltip as rich text of its own making, so that nothing a memo says is read as markup.
QString dayToolTip(const QString& holiday, const MemoStore::DaySummary* memo) {
    QStringList parts;
    if (!holiday.isEmpty())
        parts << QStringLiteral("<b>") + holiday.toHtmlEscaped() + QStringLiteral("</b>");
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
    // The day names above the columns; the days themselves are drawn by paintCell.
    QTextCharFormat sunday;
    sunday.setForeground(kSundayRed);
    setWeekdayTextFormat(Qt::Sunday, sunday);
    QTextCharFormat saturday;
    saturday.setForeground(kSaturdayBlue);
    setWeekdayTextFormat(Qt::Saturday, saturday);
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
    for (auto holiday = holidays_.cbegin(); holiday != holidays_.cend(); ++holiday) {
        if (inShownMonth(holiday.key()) && memos.contains(holiday.key().day()))
            continue; // with the memo below
        QTextCharFormat format;
        format.setToolTip(dayToolTip(holiday.value(), nullptr));
        setDateTextFormat(holiday.key(), format);
    }
    for (auto memo = memos.cbegin(); memo != memos.cend(); ++memo) {
        const QDate day(first.year(), first.month(), memo.key());
        QTextCharFormat format;
        format.setToolTip(dayToolTip(holidays_.value(day), &memo.value()));
        if (memo->saysSomething)
            format.setFontWeight(QFont::Bold);
        if (!memo->copies.isEmpty())
            copies_.insert(day);
        setDateTextFormat(day, format);
    }
    findChild<QAbstractItemView*>()->viewport()->update();
}

bool MonthView::onPage(QDate day) const {
    const QDate first(yearShown(), monthShown(), 1);
    return day >= first.addDays(-kDaysBeforeFirst) && day < first.addDays(kDaysOnPage);
}

bool MonthView::inShownMonth(QDate date) const {
    return date.month() == monthShown() && date.year() == yearShown();
}

QColor MonthView::numberColour(QDate date) const {
    QColor colour =
        dayColour(dayKindOf(date, holidays_.contains(date)), palette().color(QPalette::Text));
    const bool outside = date < minimumDate() || date > maximumDate();
    if (!inShownMonth(date) || outside)
        colour = blended(colour, palette().color(QPalette::Base), kPaleness);
    return colour;
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
        QPen frame(kTodayFrame, 2);
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
        painter->setBrush(kCopyMark);
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
