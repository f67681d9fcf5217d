#pragma once

#include "store/searchable_text.h"

#include <QString>
#include <QStringList>
#include <QStringView>

#include <optional>
#include <vector>

namespace orbeta {

// Text as searches compare it: NFKC-normalised, case-folded, katakana as hiragana. "ＡＢＣ" and
// "abc" fold alike, as do "ｶﾀｶﾅ", "カタカナ" and "かたかな", and "㈱" and "(株)".
QString folded(QStringView text);

// The folded terms of a query: it is cut at every blank, the ideographic space among them.
QStringList searchTerms(QStringView query);

// Where a term was found: in the folded text, or in the original one.
struct Span {
    qsizetype position = 0;
    qsizetype length = 0;

    bool operator==(const Span&) const = default;
};

// A text kept folded for searching, with what it takes to give back the original: the places
// where the two differ (a katakana word, a full-width letter) and what stood there. Most
// characters fold to themselves, so this holds little more than the folded text. The memo
// store keeps one for each memo once searching has begun.
class FoldedText : public SearchableText {
public:
    FoldedText() = default;
    explicit FoldedText(QStringView original);

    const QString& folded() const { return folded_; }
    QString original() const;
    // The part of the original text that a span of the folded text came from, whole characters.
    Span originalSpan(Span inFolded) const;
    // What this holds in memory, in bytes.
    qsizetype memoryBytes() const;

private:
    struct Place {
        qsizetype folded;   // start in the folded text
        qsizetype original; // start in the original text
        qsizetype foldedLength;
        qsizetype originalLength;
        qsizetype stored; // start of its original characters in originals_
        bool oneToOne;    // each character folded to one character
    };
    template <class Visit> void forEachPlace(Visit&& visit) const;

    QString folded_;
    QString originals_; // the original characters of the places, one after another
    QByteArray places_; // per place: folded start after the last place, folded and original
                        // lengths, as variable-length numbers
};

// Whether every term occurs in the folded text, and where the earliest occurrence of any of
// them starts. No terms match everything, with no span.
struct Match {
    bool matches = false;
    std::optional<Span> first;
};
Match matchFolded(QStringView foldedText, const QStringList& terms);

// The first occurrence of any of the terms in the original text, in its own positions.
std::optional<Span> firstHit(QStringView text, const QStringList& terms);

} // namespace orbeta
