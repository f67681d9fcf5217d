#include "search/text_folding.h"

#include <algorithm>
#include <bitset>
#include <memory>

namespace orbeta {

namespace {

constexpr char16_t kFirstKatakana = u'ァ'; // up to ヶ, and the iteration marks ヽ ヾ
constexpr char16_t kLastKatakana = u'ヶ';
constexpr char16_t kKatakanaToHiragana = u'ァ' - u'ぁ';

char16_t hiraganaOf(char16_t c) {
    if ((c >= kFirstKatakana && c <= kLastKatakana) || c == u'ヽ' || c == u'ヾ')
        return static_cast<char16_t>(c - kKatakanaToHiragana);
    return c;
}

// Whether a character joins the one before it when normalised: combining marks, and characters
// such as the half-width voiced sound marks that become one.
bool attachesToPrevious(char32_t c) {
    if (QChar::isMark(c) || QChar::combiningClass(c) != 0)
        return true;
    const QString decomposition = QChar::decomposition(c);
    return !decomposition.isEmpty() && QChar::combiningClass(decomposition.front().unicode()) != 0;
}

QString foldCluster(QStringView cluster) {
    QString text = cluster.toString().normalized(QString::NormalizationForm_KC).toCaseFolded();
    for (QChar& c : text)
        c = QChar(hiraganaOf(c.unicode()));
    return text;
}

// The fold of every character of the basic plane that folds to one character on its own;
// kSlow for the others, which are folded with their neighbours.
constexpr char16_t kSlow = 0xFFFF;
struct FoldTable {
    char16_t simple[0x10000];
    std::bitset<0x10000> attaching;
};

std::unique_ptr<const FoldTable> makeFoldTable() {
    auto table = std::make_unique<FoldTable>();
    for (char32_t c = 0; c < 0x10000; ++c) {
        const auto unit = static_cast<char16_t>(c);
        if (QChar::isSurrogate(c)) {
            table->simple[c] = kSlow;
            table->attaching[c] = QChar::isHighSurrogate(c); // decided on the whole character
            continue;
        }
        table->attaching[c] = attachesToPrevious(c);
        if (c < 0x80) {
            table->simple[c] = (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 32) : unit;
            continue;
        }
        const QString folded = foldCluster(QStringView(&unit, 1));
        table->simple[c] = folded.size() == 1 ? folded.front().unicode() : kSlow;
    }
    return table;
}

const FoldTable& foldTable() {
    // Never destroyed: reading threads fold until the process is gone.
    static const FoldTable& table = *makeFoldTable().release();
    return table;
}

char32_t codePointAt(const char16_t* text, qsizetype size, qsizetype& i) {
    const char16_t unit = text[i++];
    if (QChar::isHighSurrogate(unit) && i < size && QChar::isLowSurrogate(text[i]))
        return QChar::surrogateToUcs4(unit, text[i++]);
    return unit;
}

// The end of the character at `start` with everything that attaches to it.
qsizetype clusterEnd(const char16_t* text, qsizetype size, qsizetype start) {
    qsizetype end = start;
    codePointAt(text, size, end);
    while (end < size) {
        qsizetype next = end;
        if (!attachesToPrevious(codePointAt(text, size, next)))
            break;
        end = next;
    }
    return end;
}

// Folds `text` into `out`. For every character (with what attaches to it) that folds to
// something else, `differs(originalStart, originalLength, foldedStart, foldedLength)` is called.
template <class Differs> void foldInto(QStringView text, QString& out, Differs&& differs) {
    const FoldTable& table = foldTable();
    const char16_t* source = text.utf16();
    const qsizetype size = text.size();
    out.resize(size);
    char16_t* target = reinterpret_cast<char16_t*>(out.data());
    qsizetype written = 0;
    for (qsizetype i = 0; i < size;) {
        const char16_t simple = table.simple[source[i]];
        if (simple != kSlow && (i + 1 == size || !table.attaching[source[i + 1]])) {
            if (simple != source[i])
                differs(i, 1, written, 1);
            target[written++] = simple;
            ++i;
            continue;
        }
        const qsizetype end = clusterEnd(source, size, i);
        const QStringView cluster = text.sliced(i, end - i);
        const QString piece = foldCluster(cluster);
        // Room for the piece and for every character after it folding to one.
        if (written + piece.size() + (size - end) > out.size()) {
            out.resize(written + piece.size() + (size - end));
            target = reinterpret_cast<char16_t*>(out.data());
        }
        std::copy_n(reinterpret_cast<const char16_t*>(piece.utf16()), piece.size(),
                    target + written);
        if (piece != cluster)
            differs(i, end - i, written, piece.size());
        written += piece.size();
        i = end;
    }
    out.resize(written);
}

void appendNumber(QByteArray& bytes, qsizetype number) {
    auto value = static_cast<quint64>(number);
    while (value >= 0x80) {
        bytes.append(static_cast<char>((value & 0x7F) | 0x80));
        value >>= 7;
    }
    bytes.append(static_cast<char>(value));
}

qsizetype readNumber(const QByteArray& bytes, qsizetype& at) {
    quint64 value = 0;
    for (int shift = 0;; shift += 7) {
        const auto byte = static_cast<unsigned char>(bytes.at(at++));
        value |= quint64{byte & 0x7Fu} << shift;
        if (byte < 0x80)
            return static_cast<qsizetype>(value);
    }
}

} // namespace

QString folded(QStringView text) {
    QString out;
    foldInto(text, out, [](qsizetype, qsizetype, qsizetype, qsizetype) {});
    return out;
}

// A place is stored as its folded start after the end of the place before, then its folded
// length times two, plus one when each of its characters folded to one character (its original
// length is the same then), else followed by its original length.
FoldedText::FoldedText(QStringView original) {
    struct Found {
        qsizetype original, originalLength, folded, foldedLength;
        bool oneToOne;
    };
    std::vector<Found> places;
    foldInto(original, folded_,
             [&](qsizetype at, qsizetype length, qsizetype to, qsizetype became) {
                 const bool oneToOne = length == 1 && became == 1;
                 if (!places.empty()) {
                     Found& last = places.back();
                     if (oneToOne && last.oneToOne && last.original + last.originalLength == at &&
                         last.folded + last.foldedLength == to) {
                         ++last.originalLength;
                         ++last.foldedLength;
                         return;
                     }
                 }
                 places.push_back({at, length, to, became, oneToOne});
             });
    qsizetype lastEnd = 0;
    for (const Found& place : places) {
        appendNumber(places_, place.folded - lastEnd);
        appendNumber(places_, place.foldedLength * 2 + (place.oneToOne ? 1 : 0));
        if (!place.oneToOne)
            appendNumber(places_, place.originalLength);
        originals_ += original.sliced(place.original, place.originalLength);
        lastEnd = place.folded + place.foldedLength;
    }
    folded_.squeeze();
    originals_.squeeze();
    places_.squeeze();
}

template <class Visit> void FoldedText::forEachPlace(Visit&& visit) const {
    qsizetype at = 0;
    qsizetype lastEnd = 0;
    qsizetype shift = 0; // original position less folded position, after the last place
    qsizetype stored = 0;
    while (at < places_.size()) {
        Place place{};
        place.folded = lastEnd + readNumber(places_, at);
        const qsizetype length = readNumber(places_, at);
        place.foldedLength = length / 2;
        place.oneToOne = length % 2 == 1;
        place.originalLength = place.oneToOne ? place.foldedLength : readNumber(places_, at);
        place.original = place.folded + shift;
        place.stored = stored;
        if (!visit(place))
            return;
        shift += place.originalLength - place.foldedLength;
        stored += place.originalLength;
        lastEnd = place.folded + place.foldedLength;
    }
}

QString FoldedText::original() const {
    QString text;
    text.reserve(folded_.size() + originals_.size());
    qsizetype from = 0;
    forEachPlace([&](const Place& place) {
        text += QStringView(folded_).sliced(from, place.folded - from);
        text += QStringView(originals_).sliced(place.stored, place.originalLength);
        from = place.folded + place.foldedLength;
        return true;
    });
    text += QStringView(folded_).sliced(from);
    return text;
}

Span FoldedText::originalSpan(Span inFolded) const {
    // Where the folded character at `at` came from: its original start, or its end.
    const auto map = [this](qsizetype at, bool end) {
        qsizetype mapped = -1;
        qsizetype shift = 0;
        forEachPlace([&](const Place& place) {
            if (at < place.folded) {
                mapped = at + shift + (end ? 1 : 0);
                return false;
            }
            if (at < place.folded + place.foldedLength) {
                if (place.oneToOne)
                    mapped = place.original + (at - place.folded) + (end ? 1 : 0);
                else
                    mapped = place.original + (end ? place.originalLength : 0);
                return false;
            }
            shift = place.original + place.originalLength - (place.folded + place.foldedLength);
            return true;
        });
        return mapped >= 0 ? mapped : at + shift + (end ? 1 : 0);
    };
    const qsizetype start = map(inFolded.position, false);
    const qsizetype end = map(inFolded.position + inFolded.length - 1, true);
    return {start, end - start};
}

qsizetype FoldedText::memoryBytes() const {
    constexpr qsizetype kHeader = 16; // of each shared buffer
    return qsizetype{sizeof(*this)} + folded_.capacity() * 2 + originals_.capacity() * 2 +
           places_.capacity() + 3 * kHeader;
}

QStringList searchTerms(QStringView query) {
    QStringList terms;
    const QString text = folded(query);
    qsizetype start = -1;
    for (qsizetype i = 0; i <= text.size(); ++i) {
        const bool blank = i == text.size() || text[i].isSpace();
        if (blank && start >= 0) {
            terms.append(text.sliced(start, i - start));
            start = -1;
        } else if (!blank && start < 0) {
            start = i;
        }
    }
    return terms;
}

Match matchFolded(QStringView foldedText, const QStringList& terms) {
    Match match{true, {}};
    for (const QString& term : terms) {
        const qsizetype at = foldedText.indexOf(term);
        if (at < 0)
            return {};
        if (!match.first || at < match.first->position)
            match.first = Span{at, term.size()};
    }
    return match;
}

std::optional<Span> firstHit(QStringView text, const QStringList& terms) {
    const FoldedText foldedText(text);
    const Match match = matchFolded(foldedText.folded(), terms);
    if (!match.first)
        return std::nullopt;
    return foldedText.originalSpan(*match.first);
}

} // namespace orbeta
