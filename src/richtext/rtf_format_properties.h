#pragma once

#include <QTextFormat>

namespace orbeta::rtf {

// Properties that the reader leaves on the document's formats for the writer: what a memo said
// that Qt does not show, so that writing it gives back what was read. One list, so that no two
// share a number.
enum FormatProperty {
    // Character formats, and the root frame's for the document's default font
    kFontCharsetProperty = QTextFormat::UserProperty + 1, // \fcharsetN of the font
    // Blocks: a list item's own indents, in twips
    kListItemLeftIndentProperty,
    kListItemFirstIndentProperty,
    // Inline objects
    kObjectRtfProperty,         // the group as read
    kObjectUnicodeSkipProperty, // the \uc count it was read under
    kObjectFontsProperty,       // the fonts its words name, as fontsText() gives them
    kObjectColorsProperty,      // the colours its words name, as colorsText() gives them
    // A number made from a property that Qt does not hash (a font's families, an object's
    // bytes), so that formats differing only there do not all share one place of Qt's table of
    // formats, which would make reading them take time in the square of their number.
    kHashKeyProperty,
    kObjectWidthProperty,
    kObjectHeightProperty,
    kObjectImageProperty,
    kObjectLabelProperty,
    kHiddenTextProperty,
    // Blocks: the paragraph mark is hidden text (\v\par)
    kHiddenParagraphMarkProperty,
    // Lists: the list goes on the one before it of the same kind (\ls of the same number)
    kListContinuesProperty,
    // Pictures shown as images: their cropping (\piccropN, twips), and the groups inside them
    // that are kept as they stand (\*\picprop, \*\blipuid)
    kPictureCropProperty,
    kPictureGroupsProperty,
};

} // namespace orbeta::rtf
