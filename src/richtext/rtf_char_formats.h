#pragma once

#include "richtext/rtf_state.h"

#include <QTextCharFormat>

#include <array>
#include <optional>

namespace orbeta::rtf {

class ColorTable;
class Fields;
class FontTable;
struct CodePages;

// Turns the character properties RTF states into the document's character formats, looking up
// fonts, colours and link targets in the tables read so far.
class CharFormats {
public:
    CharFormats(const FontTable& fonts, const ColorTable& colors, const Fields& fields,
                const CodePages& codePages, bool pasting)
        : fonts_(fonts), colors_(colors), fields_(fields), codePages_(codePages),
          pasting_(pasting) {}

    // The format of text in these properties. Memos switch between a few formats all along,
    // so the last ones made are kept.
    QTextCharFormat format(const CharState& chr) const;
    // A table has changed: formats made before may name other fonts or colours.
    void forget() { made_ = {}; }

private:
    QTextCharFormat make(const CharState& chr) const;

    struct Made {
        CharState chr;
        QTextCharFormat format;
    };
    static constexpr std::size_t kKept = 8;
    mutable std::array<std::optional<Made>, kKept> made_;
    mutable std::size_t next_ = 0;

    const FontTable& fonts_;
    const ColorTable& colors_;
    const Fields& fields_;
    const CodePages& codePages_;
    // Pasted text without a font or size of its own takes the pasted document's defaults; a
    // document's own text leaves them to the document's default font.
    const bool pasting_;
};

} // namespace orbeta::rtf
