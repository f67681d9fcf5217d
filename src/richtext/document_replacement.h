#pragma once

#include <QTextCursor>
#include <QTextDocument>

namespace orbeta::rtf {

// Replaces the document's content with what `fill` inserts at a cursor in the emptied document,
// as one step that cannot be undone (loading a file is not an edit), and leaves the document
// unmodified.
template <class Fill> void replaceDocument(QTextDocument& document, Fill&& fill) {
    const bool undo = document.isUndoRedoEnabled();
    document.setUndoRedoEnabled(false);
    document.clear();
    QTextCursor cursor(&document);
    cursor.beginEditBlock();
    fill(cursor);
    cursor.endEditBlock();
    document.setUndoRedoEnabled(undo);
    document.setModified(false);
}

} // namespace orbeta::rtf
