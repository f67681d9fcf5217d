#include "richtext/document_snapshot.h"

#include "richtext/rtf_writer.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextImageFormat>

namespace orbeta::rtf {

namespace {

// Where tables and frames begin and end: not text to carry over.
bool marksAFrame(QChar c) {
    return c == QChar(0xFDD0) || c == QChar(0xFDD1);
}

QString withoutFrameMarks(QString text) {
    text.removeIf(marksAFrame);
    return text;
}

} // namespace

DocumentSnapshot DocumentSnapshot::of(const QTextDocument& document) {
    DocumentSnapshot snapshot;
    if (document.characterCount() <= kWrittenAtOnce) {
        snapshot.rtf_ = writeRtf(document);
        return snapshot;
    }
    snapshot.text_ = document.toRawText();
    snapshot.formats_ = document.allFormats();
    snapshot.defaultFont_ = document.defaultFont();
    // Positions are counted along, not asked for: asking costs a search each time.
    int blockStart = 0;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        snapshot.paragraphs_.push_back({block.blockFormatIndex(), block.charFormatIndex(),
                                        static_cast<int>(snapshot.runs_.size())});
        int at = blockStart;
        blockStart += block.length();
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const int length = fragment.length();
            snapshot.runs_.push_back({at, length, fragment.charFormatIndex()});
            at += length;
            const QTextFormat& format = snapshot.formats_.at(fragment.charFormatIndex());
            if (format.isImageFormat()) {
                const QUrl name(format.toImageFormat().name());
                if (!snapshot.pictures_.contains(name))
                    snapshot.pictures_.insert(
                        name, document.resource(QTextDocument::ImageResource, name));
            }
        }
    }
    return snapshot;
}

QByteArray DocumentSnapshot::toRtf() const {
    if (!rtf_.isEmpty() || paragraphs_.empty())
        return rtf_;
    QTextDocument document;
    document.setUndoRedoEnabled(false);
    document.setDefaultFont(defaultFont_);
    for (auto picture = pictures_.cbegin(); picture != pictures_.cend(); ++picture)
        document.addResource(QTextDocument::ImageResource, picture.key(), picture.value());
    QTextCursor cursor(&document);
    cursor.beginEditBlock();
    for (std::size_t i = 0; i < paragraphs_.size(); ++i) {
        const Paragraph& paragraph = paragraphs_[i];
        const QTextBlockFormat block = formats_.at(paragraph.format).toBlockFormat();
        const QTextCharFormat end = formats_.at(paragraph.charFormat).toCharFormat();
        if (i == 0) {
            cursor.setBlockFormat(block);
            cursor.setBlockCharFormat(end);
        } else {
            cursor.insertBlock(block, end);
        }
        const std::size_t last =
            i + 1 < paragraphs_.size() ? paragraphs_[i + 1].firstRun : runs_.size();
        for (std::size_t r = paragraph.firstRun; r < last; ++r)
            cursor.insertText(withoutFrameMarks(text_.mid(runs_[r].from, runs_[r].length)),
                              formats_.at(runs_[r].format).toCharFormat());
    }
    cursor.endEditBlock();
    return writeRtf(document);
}

} // namespace orbeta::rtf
