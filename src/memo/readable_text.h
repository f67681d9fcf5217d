#pragma once

#include <QPointer>
#include <QSyntaxHighlighter>

class QTextEdit;

namespace orbeta {

// Keeps a memo's text readable whatever the palette: text with a colour of its own that would
// read below 4.5:1 against what is behind it (black text of an old memo on a dark editor, white
// on a light one, any text on a background colour of its own) is shown in the nearest colour
// that reads. Only what is shown changes: the document, and so the file, keep the memo's own
// colours. Watches the editor's document and the palette; at work only where a memo needs it.
class ReadableText : public QObject {
    Q_OBJECT
public:
    explicit ReadableText(QTextEdit& editor);

    // Looks at the document's colours again (a memo read, a paste).
    void check();
    // Whether some of the text is shown in another colour than its own.
    bool adjusting() const { return !highlighter_.isNull(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool needed() const;

    QTextEdit& editor_;
    QPointer<QSyntaxHighlighter> highlighter_;
    int formatsSeen_ = -1;
};

} // namespace orbeta
