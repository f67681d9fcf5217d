#pragma once

#include "richtext/rtf_vocabulary.h"

#include <QTextCharFormat>
#include <QTextListFormat>

#include <cstdint>

namespace orbeta::rtf {

// Character properties of the group being read, as RTF states them.
struct CharState {
    bool bold = false;
    bool italic = false;
    bool strike = false;
    bool caps = false;
    bool smallCaps = false;
    bool hidden = false; // \v
    QTextCharFormat::UnderlineStyle underline = QTextCharFormat::NoUnderline;
    QTextCharFormat::VerticalAlignment verticalAlignment = QTextCharFormat::AlignNormal;
    int font = -1;      // font table number; -1: the default font
    int halfPoints = 0; // 0: the default size
    int color = 0;      // colour table index; 0: automatic
    int background = 0; // colour table index; 0: none
    int link = -1;      // hyperlink target index; -1: none
    int raised = 0;     // \upN, or -N for \dnN: half-points above the baseline
    // Associated properties (\ab, \ai, \af, \afs) hold for double-byte text (\dbch): office
    // suites give Japanese text its font and weight through them.
    bool doubleByteText = false;
    std::int8_t associatedBold = -1; // -1: not given
    std::int8_t associatedItalic = -1;
    int associatedFont = -1;
    int associatedHalfPoints = 0;

    bool operator==(const CharState&) const = default;

    // The properties that hold for the text: in double-byte text the associated ones come first.
    CharState effective() const;
};

// Paragraph properties of the group being read; distances in twips.
struct ParaState {
    Qt::Alignment alignment = Qt::AlignLeft;
    bool alignmentSet = false;
    int leftIndent = 0;
    int rightIndent = 0;
    int firstLineIndent = 0;
    bool indentSet = false; // \li or \fi stated: a list item keeps them
    int spaceBefore = 0;
    int spaceAfter = 0;
    LineSpacing lineSpacing;
    bool inTable = false;
    QTextListFormat::Style list = QTextListFormat::ListStyleUndefined; // undefined: no list
    int listOverride = 0; // \ls; 0 for the old \pn numbering
    int listLevel = 0;
    bool markHidden = false; // the paragraph's mark is hidden text: {\v\par}

    bool isListItem() const { return list != QTextListFormat::ListStyleUndefined; }
    bool operator==(const ParaState&) const = default;
};

inline CharState CharState::effective() const {
    if (!doubleByteText)
        return *this;
    CharState text = *this;
    if (associatedBold >= 0)
        text.bold = associatedBold != 0;
    if (associatedItalic >= 0)
        text.italic = associatedItalic != 0;
    if (associatedFont >= 0)
        text.font = associatedFont;
    if (associatedHalfPoints > 0)
        text.halfPoints = associatedHalfPoints;
    return text;
}

} // namespace orbeta::rtf
