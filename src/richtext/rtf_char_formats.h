#pragma once

#include "richtext/rtf_state.h"

#include <QTextCharFormat>

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

    QTextCharFormat format(const CharState& chr) const;

private:
    const FontTable& fonts_;
    const ColorTable& colors_;
    const Fields& fields_;
    const CodePages& codePages_;
    // Pasted text without a font or size of its own takes the pasted document's defaults; a
    // document's own text leaves them to the document's default font.
    const bool pasting_;
};

} // namespace orbeta::rtf
