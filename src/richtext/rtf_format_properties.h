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
    kObjectRtfProperty, // the group as read
    kObjectWidthProperty,
    kObjectHeightProperty,
    kObjectImageProperty,
    kObjectLabelProperty,
    kHiddenTextProperty,
};

} // namespace orbeta::rtf
