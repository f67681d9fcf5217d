#pragma once

#include <QStyledItemDelegate>

namespace orbeta::search {

// Draws a search result on one line: the date, red on Sundays and holidays and blue on
// Saturdays as in the calendar, a mark for a sync tool's copy, then the text with the hit in
// bold on a marker colour.
class SearchResultDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    static const QColor kHitMarker;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};

} // namespace orbeta::search
