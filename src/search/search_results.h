#pragma once

#include "search/memo_index.h"
#include "search/text_folding.h"

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

// What a result of a conflict copy says it is, after its date.
inline const QString kCopyMark = QStringLiteral("［同期のコピー］");

// The results of one search over a memo index, newest first: each a day's memo, or a conflict
// copy of it that a sync tool made.
class SearchResults : public QAbstractListModel {
    Q_OBJECT
public:
    using Entry = MemoIndex::Entry;
    enum Role {
        DateRole = Qt::UserRole + 1, // QDate
        TextRole,                    // the shown text
        HitRole,                     // QPoint(start, length) of the hit in it, if any
        CopyRole,                    // bool: a conflict copy
    };

    explicit SearchResults(const MemoIndex& index, QObject* parent = nullptr);

    // The most words a query searches for; more are left out, so that no query costs more.
    static constexpr qsizetype kMaxTerms = 16;

    // Searches the index for every term (folded); `sameDay`, when valid, keeps that month and
    // day of every year.
    void show(const QStringList& terms, QDate sameDay = {});
    const QStringList& terms() const { return terms_; }

    Entry entryAt(int row) const { return entries_.value(row); }
    QDate dateAt(int row) const { return entries_.value(row).day; }
    int rowOf(const Entry& entry) const { return static_cast<int>(entries_.indexOf(entry)); }

    // The rows as plain text, one line each: the date as yyyy/MM/dd, a tab, the shown text.
    QString copiedLines(QList<int> rows) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

private:
    const ShownText& shownAt(int row) const;

    const MemoIndex& index_;
    QStringList terms_;
    QDate sameDay_;
    quint64 generation_ = ~quint64{0}; // of the index, when the entries were found
    QList<Entry> entries_;
    mutable QHash<int, ShownText> shown_;
};

} // namespace orbeta::search
