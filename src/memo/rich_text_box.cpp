#include "memo/rich_text_box.h"

#include "memo/readable_text.h"

#include "memo/picture_intake.h"
#include "richtext/rtf_inline_objects.h"
#include "richtext/rtf_reader.h"
#include "richtext/rtf_writer.h"
#include "store/memo_limits.h"
#include "store/memo_text.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QCryptographicHash>
#include <QImageReader>
#include <QKeyEvent>
#include <QMimeData>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QTextImageFormat>
#include <QTextLayout>
#include <QUrl>

namespace orbeta {

namespace {

// Larger insertions and undos are laid out in the background.
constexpr qint64 kLaidOutAtOnce = 50'000;

// Qt lays out what goes into a shown document at once, all of it, before the window answers
// again. With the page size at nothing it lays out nothing; given back its size, the document
// is laid out anew in the background, a part at a time, as when a memo is opened.
class LayoutInTheBackground {
public:
    LayoutInTheBackground(QTextDocument& document, bool wanted)
        : document_(document), page_(document.pageSize()), wanted_(wanted) {
        if (wanted_)
            document_.setPageSize(QSizeF(0, 0));
    }
    ~LayoutInTheBackground() {
        if (wanted_)
            document_.setPageSize(page_);
    }
    LayoutInTheBackground(const LayoutInTheBackground&) = delete;
    LayoutInTheBackground& operator=(const LayoutInTheBackground&) = delete;

private:
    QTextDocument& document_;
    const QSizeF page_;
    const bool wanted_;
};

// Files dropped from a file manager that are all pictures Qt reads: their paths.
QStringList droppedPictures(const QMimeData& source) {
    QStringList paths;
    for (const QUrl& url : source.urls()) {
        if (!url.isLocalFile() || QImageReader::imageFormat(url.toLocalFile()).isEmpty())
            return {};
        paths << url.toLocalFile();
    }
    return paths;
}

} // namespace

RichTextBox::RichTextBox(QWidget* parent) : QTextEdit(parent) {
    setObjectName(QStringLiteral("RichTextBox1"));
    setAcceptRichText(true);
    setTabChangesFocus(false);
    setFrameShape(QFrame::NoFrame);
    setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    rtf::showInlineObjects(*document()); // pictures kept as they were read, hidden text
    readable_ = new ReadableText(*this);
    connect(document()->documentLayout(), &QAbstractTextDocumentLayout::documentSizeChanged, this,
            &RichTextBox::showCursorOnceLaidOut);
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
    // Tab goes into the text; Ctrl+Tab leaves it, for the notice above it.
    if (event->key() == Qt::Key_Tab && event->modifiers() == Qt::ControlModifier) {
        QWidget::focusNextPrevChild(true); // the editor's own keeps the focus
        return;
    }
    if (event->key() == Qt::Key_Backtab && event->modifiers().testFlag(Qt::ControlModifier)) {
        QWidget::focusNextPrevChild(false);
        return;
    }
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
    if (event->matches(QKeySequence::Undo) || event->matches(QKeySequence::Redo)) {
        const LayoutInTheBackground later(*document(),
                                          document()->characterCount() > kLaidOutAtOnce);
        QTextEdit::keyPressEvent(event);
        return;
    }
    if (!event->text().isEmpty() && event->text().front().isPrint() && !hasRoomToType())
        return;
    QTextEdit::keyPressEvent(event);
}

void RichTextBox::inputMethodEvent(QInputMethodEvent* event) {
    if (!event->commitString().isEmpty() && !hasRoomToType()) {
        event->setCommitString({});
    }
    QTextEdit::inputMethodEvent(event);
}

// Typing one character more is refused once the memo holds as many as it may.
bool RichTextBox::hasRoomToType() {
    if (textCursor().hasSelection() || document()->characterCount() - 1 < kMaxEditableCharacters)
        return true;
    QApplication::beep();
    Q_EMIT refused(tooLargeToTake({1, 0}, contentSizeOf(*document())));
    return false;
}

bool RichTextBox::hasRoomFor(const MemoContentSize& adding, bool wholeDocument) {
    MemoContentSize holding = wholeDocument ? MemoContentSize{} : contentSizeOf(*document());
    if (!wholeDocument) {
        const QTextCursor selection = textCursor();
        holding.characters -= selection.selectionEnd() - selection.selectionStart();
    }
    MemoContentSize after = holding;
    after += adding;
    if (after.fits())
        return true;
    Q_EMIT refused(tooLargeToTake(adding, holding));
    return false;
}

bool RichTextBox::replaceAllWith(const QByteArray& content) {
    QTextCursor cursor(document());
    cursor.select(QTextCursor::Document);
    if (!take(rtf::looksLikeRtf(content) ? Incoming::ofRtf(content)
                                         : Incoming::ofText(plainMemoText(content)),
              cursor, true))
        return false;
    readable_->check();
    moveCursor(QTextCursor::Start);
    return true;
}

// One step that undo takes back; laid out in the background where it is large.
bool RichTextBox::take(const Incoming& incoming, QTextCursor& cursor, bool wholeDocument) {
    if (!incoming.readable || !hasRoomFor(incoming.size, wholeDocument))
        return false;
    const LayoutInTheBackground later(*document(),
                                      incoming.size.characters > kLaidOutAtOnce ||
                                          document()->characterCount() > kLaidOutAtOnce);
    cursor.beginEditBlock();
    cursor.removeSelectedText();
    if (!incoming.rtf.isEmpty())
        rtf::insertRtf(incoming.rtf, cursor);
    else if (!incoming.fragment.isEmpty())
        cursor.insertFragment(incoming.fragment);
    else
        cursor.insertText(incoming.text);
    cursor.endEditBlock();
    return true;
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
    // A picture in the selection goes as a picture too, for programs that take no RTF.
    for (QTextBlock block = copy.begin(); block.isValid(); block = block.next())
        for (auto it = block.begin(); !it.atEnd(); ++it)
            if (const QTextCharFormat format = it.fragment().charFormat(); format.isImageFormat()) {
                const QVariant picture = document()->resource(QTextDocument::ImageResource,
                                                              QUrl(format.toImageFormat().name()));
                const QImage image = picture.userType() == QMetaType::QImage
                                         ? picture.value<QImage>()
                                         : QImage::fromData(picture.toByteArray());
                if (!image.isNull()) {
                    mime->setImageData(image);
                    return mime;
                }
            }
    return mime;
}

bool RichTextBox::canInsertFromMimeData(const QMimeData* source) const {
    if (source->hasImage() || !droppedPictures(*source).isEmpty())
        return true;
    for (const QString& type : rtfMimeTypes())
        if (source->hasFormat(type))
            return true;
    return QTextEdit::canInsertFromMimeData(source);
}

// What comes from the clipboard or a drop is measured against the memo's limit before anything
// of it is laid out. RTF first (it keeps pictures as they were), then a bitmap (a screenshot,
// a browser's copied image), then picture files, then HTML and text.
void RichTextBox::insertFromMimeData(const QMimeData* source) {
    const bool rtf = std::any_of(rtfMimeTypes().cbegin(), rtfMimeTypes().cend(),
                                 [source](const QString& type) { return source->hasFormat(type); });
    if (!rtf && source->hasImage()) {
        const IncomingPicture picture =
            IncomingPicture::fromImage(qvariant_cast<QImage>(source->imageData()));
        if (!picture.ready())
            Q_EMIT refused(picture.problem);
        else
            insertPictures({picture.bytes});
        return;
    }
    if (const QStringList pictures = droppedPictures(*source); !rtf && !pictures.isEmpty()) {
        insertPictureFiles(pictures);
        return;
    }
    Incoming incoming;
    for (const QString& type : rtfMimeTypes())
        if (!incoming.readable && source->hasFormat(type))
            incoming = Incoming::ofRtf(source->data(type));
    if (!incoming.readable && source->hasHtml() && acceptRichText())
        incoming = Incoming::ofFragment(QTextDocumentFragment::fromHtml(source->html()));
    if (!incoming.readable && source->hasText())
        incoming = Incoming::ofText(source->text());
    QTextCursor cursor = textCursor();
    if (!take(incoming, cursor, false))
        return;
    if (incoming.size.characters <= kLaidOutAtOnce) {
        setTextCursor(cursor);
        ensureCursorVisible();
        return;
    }
    // The editor's own cursor moved past what went in; showing it now would lay out all of it
    // at once: it is shown once the layout in the background has come that far.
    toShowWhenLaidOut_ = cursor;
}

void RichTextBox::showCursorOnceLaidOut() {
    if (toShowWhenLaidOut_.isNull())
        return;
    const QTextBlock block = toShowWhenLaidOut_.block();
    if (block.layout() && block.layout()->lineCount() == 0)
        return;
    toShowWhenLaidOut_ = QTextCursor();
    ensureCursorVisible();
}

bool RichTextBox::insertPictureFiles(const QStringList& paths) {
    QList<QByteArray> pictures;
    for (const QString& path : paths) {
        const IncomingPicture picture = IncomingPicture::fromFile(path);
        if (!picture.ready()) {
            Q_EMIT refused(QStringLiteral("%1\n\nファイル: %2").arg(picture.problem, path));
            return false;
        }
        pictures << picture.bytes;
    }
    return insertPictures(pictures);
}

// Each picture is kept among the document's resources under a name made of its bytes, as the
// RTF reader keeps those it reads, and goes in at the cursor as one step.
bool RichTextBox::insertPictures(const QList<QByteArray>& pictures) {
    MemoContentSize adding;
    for (const QByteArray& bytes : pictures)
        adding += {1, bytes.size()};
    if (isReadOnly() || !hasRoomFor(adding, false))
        return false;
    QTextCursor cursor = textCursor();
    cursor.beginEditBlock();
    cursor.removeSelectedText();
    for (const QByteArray& bytes : pictures) {
        const QString name =
            QStringLiteral("rtf-picture:") +
            QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha1).toHex());
        document()->addResource(QTextDocument::ImageResource, QUrl(name), bytes);
        QTextImageFormat picture;
        picture.setName(name);
        cursor.insertImage(picture);
    }
    cursor.endEditBlock();
    setTextCursor(cursor);
    ensureCursorVisible();
    return true;
}

RichTextBox::Incoming RichTextBox::Incoming::ofRtf(const QByteArray& rtf) {
    Incoming incoming;
    QTextDocument measured; // read once to be measured; read again where it goes
    measured.setUndoRedoEnabled(false);
    if (!rtf::readRtf(rtf, measured).isRtf())
        return incoming;
    incoming.rtf = rtf;
    incoming.size = contentSizeOf(measured);
    incoming.readable = true;
    return incoming;
}

RichTextBox::Incoming RichTextBox::Incoming::ofText(const QString& text) {
    Incoming incoming;
    incoming.text = text;
    incoming.size.characters = text.size();
    incoming.readable = true;
    return incoming;
}

RichTextBox::Incoming RichTextBox::Incoming::ofFragment(const QTextDocumentFragment& fragment) {
    Incoming incoming;
    incoming.fragment = fragment;
    incoming.size.characters = fragment.toPlainText().size();
    incoming.readable = true;
    return incoming;
}

} // namespace orbeta
