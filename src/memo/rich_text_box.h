#pragma once

#include <QTextEdit>

namespace orbeta {

// The memo editor: rich text with what a rich-edit control offers from the keyboard (undo and
// redo, clipboard, select all, Ctrl+B/I/U), and RTF on the clipboard beside plain text and HTML,
// so formatted text moves to and from office programs. Lines break between words, and anywhere
// in a word too long for a line.
class RichTextBox : public QTextEdit {
    Q_OBJECT
public:
    explicit RichTextBox(QWidget* parent);

    static const QStringList& rtfMimeTypes();

Q_SIGNALS:
    void mouseDown(Qt::MouseButton button, QPoint globalPosition);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    QMimeData* createMimeDataFromSelection() const override;
    bool canInsertFromMimeData(const QMimeData* source) const override;
    void insertFromMimeData(const QMimeData* source) override;

private:
    void wrapFor(int position, int added);
    void toggleBold();
    void toggleItalic();
    void toggleUnderline();
};

} // namespace orbeta
