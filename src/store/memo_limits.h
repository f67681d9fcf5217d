#pragma once

#include <QString>
#include <QtGlobal>

class QTextDocument;

namespace orbeta {

// How much a memo may hold: one limit for everything that goes into it (typing, a paste, a
// drop, a picture, a version or a copy taken back), and what a save of such a memo writes is
// what opening takes again. The characters are what Qt's editor lays out in a moment (a paste of
// this many, laid out in the background, leaves the window answering); the pictures are what a
// day's photos need. Files larger than a memo within both can be are not read whole.
inline constexpr qint64 kMaxEditableCharacters = 2'000'000;
inline constexpr qint64 kMaxPictureBytes = 32 * 1024 * 1024;
// Each character written as an escape of at most ten bytes, each picture's byte as two hex
// digits with line breaks, and room for the formatting.
inline constexpr qint64 kMaxMemoFileBytes =
    10 * kMaxEditableCharacters + (kMaxPictureBytes * 65) / 32 + 8 * 1024 * 1024;

// What a memo, or what would go into one, holds against the limit.
struct MemoContentSize {
    qint64 characters = 0;   // inline pictures and objects count one each
    qint64 pictureBytes = 0; // of the pictures and the objects kept as they were read

    MemoContentSize& operator+=(const MemoContentSize& other);
    MemoContentSize operator-(const MemoContentSize& other) const;
    // Whether it stays within the limit.
    bool fits() const;
};

MemoContentSize contentSizeOf(const QTextDocument& document);

// A size in bytes as the user reads it, in Japanese ("1.5 MB").
QString japaneseSize(qint64 bytes);

// Why something that would pass the limit is not taken, in Japanese: how large it is, what the
// memo holds already, and the limit.
QString tooLargeToTake(const MemoContentSize& adding, const MemoContentSize& holding);

} // namespace orbeta
