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

    // What is behind the words a search found: a yellow on a light list, a dark amber on a dark
    // one, the text reading on either.
    static QColor hitMarker(const QPalette& palette);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};

} // namespace orbeta::search
