#pragma once

#include "search/memo_index.h"
#include "search/search_folding.h"

#include <QAbstractListModel>
#include <QDate>
#include <QHash>
#include <QList>
#include <QStringList>

#include <optional>

namespace orbeta::search {

// What a result shows of its memo: the text around the first hit, on one line, or the memo's
// first line when nothing was searched for.
struct ShownText {
    QString text;
    std::optional<Span> hit; // in `text`
};
ShownText shownText(QStringView memoText, const std::optional<Span>& hit);

// A result's date as the list shows it: "2026/12/07 (月)".
QString shownDate(QDate date);

// The results of one search over a memo index, newest first, each a day.
class SearchResults : public QAbstractListModel {
    Q_OBJECT
public:
    enum Role {
        DateRole = Qt::UserRole + 1, // QDate
        TextRole,                    // the shown text
        HitRole,                     // QPoint(start, length) of the hit in it, if any
    };

    explicit SearchResults(const MemoIndex& index, QObject* parent = nullptr);

    // Searches the index for every term (folded); `sameDay`, when valid, keeps that month and
    // day of every year.
    void show(const QStringList& terms, QDate sameDay = {});
    const QStringList& terms() const { return terms_; }

    QDate dateAt(int row) const { return dates_.value(row); }
    int rowOf(QDate date) const { return static_cast<int>(dates_.indexOf(date)); }

    // The rows as plain text, one line each: the date as yyyy/MM/dd, a tab, the shown text.
    QString copiedLines(QList<int> rows) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

private:
    const ShownText& shownAt(int row) const;

    const MemoIndex& index_;
    QStringList terms_;
    QDate sameDay_;
    quint64 generation_ = 0; // of the index, when the dates were found
    QList<QDate> dates_;
    mutable QHash<QDate, ShownText> shown_;
};

} // namespace orbeta::search
