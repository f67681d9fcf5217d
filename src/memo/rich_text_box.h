#pragma once

#include "store/memo_limits.h"

#include <QTextDocumentFragment>
#include <QTextEdit>

namespace orbeta {

class ReadableText;

// The memo editor: rich text with what a rich-edit control offers from the keyboard (undo and
// redo, clipboard, select all, Ctrl+B/I/U), and RTF on the clipboard beside plain text and HTML,
// so formatted text moves to and from office programs. Lines break between words, and anywhere
// in a word too long for a line. Nothing goes in that would take the memo past its limit, and a
// large insertion is laid out in the background, so the window keeps answering.
class RichTextBox : public QTextEdit {
    Q_OBJECT
public:
    explicit RichTextBox(QWidget* parent);

    static const QStringList& rtfMimeTypes();

    // Puts a memo's content (RTF, or text) in place of the whole text, as one step that undo
    // takes back; false, with refused(), when it would pass the memo's limit.
    bool replaceAllWith(const QByteArray& content);
    // Puts the pictures of these files at the cursor, as one step; false, with refused(), when
    // one cannot be read or they would pass the memo's limit.
    bool insertPictureFiles(const QStringList& paths);
    // What keeps text of a colour of its own readable on the editor's background.
    ReadableText& readableText() const { return *readable_; }

Q_SIGNALS:
    void mouseDown(Qt::MouseButton button, QPoint globalPosition);
    // Something was not taken in: why, in Japanese.
    void refused(const QString& why);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    QMimeData* createMimeDataFromSelection() const override;
    bool canInsertFromMimeData(const QMimeData* source) const override;
    void insertFromMimeData(const QMimeData* source) override;

private:
    ReadableText* readable_;

    // What is to go into the memo: RTF, text or an HTML fragment, and how large it is.
    struct Incoming {
        QByteArray rtf;
        QString text;
        QTextDocumentFragment fragment;
        MemoContentSize size;
        bool readable = false;

        static Incoming ofRtf(const QByteArray& rtf);
        static Incoming ofText(const QString& text);
        static Incoming ofFragment(const QTextDocumentFragment& fragment);
    };
    bool take(const Incoming& incoming, QTextCursor& cursor, bool wholeDocument);
    bool insertPictures(const QList<QByteArray>& pictures);
    bool hasRoomFor(const MemoContentSize& adding, bool wholeDocument);
    bool hasRoomToType();
    void showCursorOnceLaidOut();
    void wrapFor(int position, int added);
    void toggleBold();
    void toggleItalic();
    void toggleUnderline();

    QTextCursor toShowWhenLaidOut_;
};

} // namespace orbeta
