#include "memo/rich_text_box.h"

#include "richtext/rtf_inline_objects.h"
#include "richtext/rtf_reader.h"
#include "richtext/rtf_writer.h"

#include <QKeyEvent>
#include <QMimeData>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextDocumentFragment>

namespace orbeta {

RichTextBox::RichTextBox(QWidget* parent) : QTextEdit(parent) {
    setObjectName(QStringLiteral("RichTextBox1"));
    setAcceptRichText(true);
    setTabChangesFocus(false);
    setFrameShape(QFrame::NoFrame);
    setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    rtf::showInlineObjects(*document()); // pictures kept as they were read, hidden text
    connect(document(), &QTextDocument::contentsChange, this,
            [this](int position, int, int added) { wrapFor(position, added); });
}

// Qt lays out a word longer than its line again for every line it fills, which takes minutes
// for a word of a few hundred thousand characters. Once a memo has such a word, its lines break
// anywhere, as the rich-edit control breaks them; a memo read anew starts over.
void RichTextBox::wrapFor(int position, int added) {
    static constexpr int kLongestWord = 2000;
    const bool wholeDocument = position == 0 && added >= document()->characterCount() - 1;
    if (wholeDocument)
        setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    if (wordWrapMode() == QTextOption::WrapAnywhere)
        return;
    QTextBlock block = document()->findBlock(position);
    const QTextBlock last = document()->findBlock(position + added);
    for (; block.isValid(); block = block.next()) {
        int word = 0;
        for (const QChar c : block.text()) {
            // Japanese text may break between any two of its characters.
            word = c.isSpace() || c.unicode() >= 0x2E80 ? 0 : word + 1;
            if (word > kLongestWord) {
                setWordWrapMode(QTextOption::WrapAnywhere);
                return;
            }
        }
        if (block == last)
            break;
    }
}

const QStringList& RichTextBox::rtfMimeTypes() {
    static const QStringList types{QStringLiteral("text/rtf"), QStringLiteral("application/rtf"),
                                   QStringLiteral("text/richtext")};
    return types;
}

void RichTextBox::mousePressEvent(QMouseEvent* event) {
    Q_EMIT mouseDown(event->button(), event->globalPosition().toPoint());
    if (event->button() == Qt::RightButton)
        return; // the window's own menu, not the editor's
    QTextEdit::mousePressEvent(event);
}

// A right click soon after another (the menu chosen from by keyboard, then the next click)
// comes as a double click: it is a press all the same.
void RichTextBox::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) {
        Q_EMIT mouseDown(event->button(), event->globalPosition().toPoint());
        return;
    }
    QTextEdit::mouseDoubleClickEvent(event);
}

void RichTextBox::contextMenuEvent(QContextMenuEvent* event) {
    event->accept(); // the window shows its menu on the button press itself
}

void RichTextBox::keyPressEvent(QKeyEvent* event) {
    if (event->modifiers() == Qt::ControlModifier) {
        switch (event->key()) {
        case Qt::Key_B:
            toggleBold();
            return;
        case Qt::Key_I:
            toggleItalic();
            return;
        case Qt::Key_U:
            toggleUnderline();
            return;
        default:
            break;
        }
    }
    QTextEdit::keyPressEvent(event);
}

void RichTextBox::toggleBold() {
    QTextCharFormat format;
    format.setFontWeight(currentCharFormat().fontWeight() >= QFont::DemiBold ? QFont::Normal
                                                                             : QFont::Bold);
    mergeCurrentCharFormat(format);
}

void RichTextBox::toggleItalic() {
    QTextCharFormat format;
    format.setFontItalic(!currentCharFormat().fontItalic());
    mergeCurrentCharFormat(format);
}

void RichTextBox::toggleUnderline() {
    QTextCharFormat format;
    format.setFontUnderline(!currentCharFormat().fontUnderline());
    mergeCurrentCharFormat(format);
}

QMimeData* RichTextBox::createMimeDataFromSelection() const {
    const QTextCursor selection = textCursor();
    if (!selection.hasSelection())
        return QTextEdit::createMimeDataFromSelection();
    // Qt's own clipboard data lists a fixed set of formats; this one carries RTF too.
    const QTextDocumentFragment fragment = selection.selection();
    auto* mime = new QMimeData;
    mime->setText(fragment.toPlainText());
    mime->setHtml(fragment.toHtml());
    QTextDocument copy;
    copy.setDefaultFont(document()->defaultFont());
    QTextCursor(&copy).insertFragment(fragment);
    const QByteArray rtf = rtf::writeRtf(copy, document());
    for (const QString& type : rtfMimeTypes())
        mime->setData(type, rtf);
    return mime;
}

bool RichTextBox::canInsertFromMimeData(const QMimeData* source) const {
    for (const QString& type : rtfMimeTypes())
        if (source->hasFormat(type))
            return true;
    return QTextEdit::canInsertFromMimeData(source);
}

void RichTextBox::insertFromMimeData(const QMimeData* source) {
    for (const QString& type : rtfMimeTypes()) {
        if (!source->hasFormat(type))
            continue;
        QTextCursor cursor = textCursor();
        if (rtf::insertRtf(source->data(type), cursor).isRtf()) {
            setTextCursor(cursor);
            ensureCursorVisible();
            return;
        }
    }
    QTextEdit::insertFromMimeData(source);
}

} // namespace orbeta
