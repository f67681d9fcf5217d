#include "memo/readable_text.h"

#include "app/readable_colours.h"

#include <QApplication>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>

namespace orbeta {

namespace {

// The colours a run of text is shown in: its own, or the palette's where it has none.
struct Shown {
    QColor text;
    QColor background;
};

Shown shownIn(const QTextCharFormat& format, const QPalette& palette) {
    Shown shown{palette.color(QPalette::Text), palette.color(QPalette::Base)};
    if (format.foreground().style() != Qt::NoBrush)
        shown.text = format.foreground().color();
    if (format.background().style() != Qt::NoBrush)
        shown.background = format.background().color();
    return shown;
}

bool unreadable(const QTextCharFormat& format, const QPalette& palette) {
    const Shown shown = shownIn(format, palette);
    return contrastRatio(shown.text, shown.background) < kTextContrast;
}

// What a run that would not read is shown in: a black or grey in the palette's own text colour,
// as text of no colour of its own is; a colour in the nearest lighter or darker one that reads,
// with room for the soft edges of small text.
QColor readableColour(const Shown& shown, const QPalette& palette) {
    constexpr int kGreyest = 40; // of 255: below it a colour is taken for a grey
    const QColor text = palette.color(QPalette::Text);
    if (shown.text.hsvSaturation() < kGreyest &&
        contrastRatio(text, shown.background) >= kTextContrast)
        return text;
    return readableOn(shown.text, shown.background, kTextContrast * kSoftEdges);
}

// Shows each run that would not read in the nearest colour that does.
class Highlighter : public QSyntaxHighlighter {
public:
    Highlighter(QTextDocument* document, const QPalette& palette)
        : QSyntaxHighlighter(document), palette_(palette) {}

    bool drawsFor(const QPalette& palette) const {
        return palette.color(QPalette::Text) == palette_.color(QPalette::Text) &&
               palette.color(QPalette::Base) == palette_.color(QPalette::Base);
    }

protected:
    void highlightBlock(const QString&) override {
        const QTextBlock block = currentBlock();
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const QTextCharFormat format = fragment.charFormat();
            if (!unreadable(format, palette_))
                continue;
            QTextCharFormat readable;
            readable.setForeground(readableColour(shownIn(format, palette_), palette_));
            setFormat(fragment.position() - block.position(), fragment.length(), readable);
        }
    }

private:
    const QPalette palette_;
};

} // namespace

ReadableText::ReadableText(QTextEdit& editor) : QObject(&editor), editor_(editor) {
    connect(editor_.document(), &QTextDocument::contentsChanged, this, [this] {
        // A new colour comes with a new format: the colours are looked at only then.
        if (editor_.document()->allFormats().size() != formatsSeen_)
            check();
    });
    editor_.installEventFilter(this);
}

bool ReadableText::needed() const {
    const QPalette palette = editor_.palette();
    const QList<QTextFormat> formats = editor_.document()->allFormats();
    return std::any_of(formats.cbegin(), formats.cend(), [&](const QTextFormat& format) {
        return format.isCharFormat() && unreadable(format.toCharFormat(), palette);
    });
}

void ReadableText::check() {
    formatsSeen_ = static_cast<int>(editor_.document()->allFormats().size());
    if (!needed()) {
        delete highlighter_;
        return;
    }
    // Text typed or pasted is looked at by the highlighter as it comes.
    auto* highlighter = static_cast<Highlighter*>(highlighter_.data());
    if (highlighter && highlighter->drawsFor(editor_.palette()))
        return;
    delete highlighter_;
    highlighter = new Highlighter(editor_.document(), editor_.palette());
    highlighter_ = highlighter;
    // At once, not once the program is idle: the text is never drawn unreadable first.
    highlighter->rehighlight();
}

bool ReadableText::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &editor_ && event->type() == QEvent::PaletteChange)
        check();
    return QObject::eventFilter(watched, event);
}

} // namespace orbeta
