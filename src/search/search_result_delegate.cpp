#include "search/search_result_delegate.h"

#include "app/readable_colours.h"
#include "calendar/day_kind.h"
#include "search/search_results.h"

#include <QApplication>
#include <QPainter>

namespace orbeta::search {

namespace {

constexpr int kPadding = 4;
constexpr QRgb kLightHitMarker = qRgb(255, 236, 150);

// Draws `text` from the left of `room`, which it narrows; false once the room is used up.
bool drawPart(QPainter& painter, QRect& room, const QString& text, const QFont& font) {
    if (text.isEmpty())
        return room.width() > 0;
    const QFontMetrics metrics(font);
    const int width = metrics.horizontalAdvance(text);
    painter.setFont(font);
    const QString fitted = metrics.elidedText(text, Qt::ElideRight, room.width());
    painter.drawText(room, Qt::AlignLeft | Qt::AlignVCenter, fitted);
    room.setLeft(room.left() + width);
    return fitted == text && room.width() > 0;
}

} // namespace

QColor SearchResultDelegate::hitMarker(const QPalette& palette) {
    const QColor base = palette.color(QPalette::Base);
    const QColor text = palette.color(QPalette::Text);
    if (!isDark(palette))
        return kLightHitMarker;
    // On a dark list, a dark amber that the text still reads on.
    for (double share = 0.45; share > 0; share -= 0.05)
        if (const QColor marker = blended(base, kLightHitMarker, share);
            contrastRatio(text, marker) >= kTextContrast)
            return marker;
    return base;
}

void SearchResultDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                 const QModelIndex& index) const {
    QStyleOptionViewItem panel = option;
    initStyleOption(&panel, index);
    panel.text.clear();
    const QWidget* view = option.widget;
    QStyle* style = view ? view->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &panel, painter, view);

    const bool selected = option.state & QStyle::State_Selected;
    const QColor text = option.palette.color(
        option.state & QStyle::State_Active ? QPalette::Active : QPalette::Inactive,
        selected ? QPalette::HighlightedText : QPalette::Text);
    const QDate date = index.data(SearchResults::DateRole).toDate();
    const QString shown = index.data(SearchResults::TextRole).toString();
    const QVariant hitData = index.data(SearchResults::HitRole);

    painter->save();
    QRect room = option.rect.adjusted(kPadding, 0, -kPadding, 0);
    const QColor background = option.palette.color(QPalette::Base);
    painter->setPen(selected ? text : dayColour(dayKindOf(date), text, background));
    drawPart(*painter, room, shownDate(date) + QStringLiteral("  "), option.font);
    if (index.data(SearchResults::CopyRole).toBool()) {
        painter->setPen(selected ? text : syncCopyColour(background));
        drawPart(*painter, room, kCopyMark + QStringLiteral("  "), option.font);
    }
    painter->setPen(text);
    if (hitData.isNull()) {
        drawPart(*painter, room, shown, option.font);
    } else {
        const QPoint hit = hitData.toPoint();
        QFont bold = option.font;
        bold.setBold(true);
        const QString hitText = shown.mid(hit.x(), hit.y());
        if (drawPart(*painter, room, shown.left(hit.x()), option.font)) {
            const int hitWidth = QFontMetrics(bold).horizontalAdvance(hitText);
            const QRect marker(room.left(), option.rect.top() + 1, std::min(hitWidth, room.width()),
                               option.rect.height() - 2);
            if (!selected)
                painter->fillRect(marker, hitMarker(option.palette));
            if (drawPart(*painter, room, hitText, bold))
                drawPart(*painter, room, shown.mid(hit.x() + hit.y()), option.font);
        }
    }
    painter->restore();
}

QSize SearchResultDelegate::sizeHint(const QStyleOptionViewItem& option,
                                     const QModelIndex& index) const {
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    size.setHeight(std::max(size.height(), QFontMetrics(option.font).height() + 2 * kPadding));
    return size;
}

} // namespace orbeta::search
