#pragma once

#include "richtext/code_pages.h"
#include "richtext/rtf_output.h"

#include <QColor>
#include <QString>
#include <QStringView>

#include <optional>
#include <vector>

class QIODevice;
class QTextBlock;
class QTextCharFormat;
class QTextDocument;
class QTextFragment;
class QTextFrame;
class QTextImageFormat;
class QTextList;
class QTextTable;

namespace orbeta::rtf {

// Writes one document as RTF in two passes: the first finds the fonts, colours and lists the
// document uses, in order of first use; the second writes the header with their tables, then the
// body, one group per formatted run.
class Writer {
public:
    Writer(const QTextDocument& document, const QTextDocument& resources, QIODevice* sink = nullptr)
        : document_(document), resources_(resources), out_(sink) {}

    void run();
    // What has been written and not yet handed to the sink.
    QByteArray take() { return out_.take(); }
    bool flush() { return out_.flush(); }

private:
    struct FontEntry {
        QString name;
        bool japanese = false;
        bool symbol = false;
    };
    // What every run of one format writes: found once per format.
    struct RunFormat {
        bool image = false;
        QString link;
        QByteArray words; // the format's control words
    };
    // A non-ASCII character's \uN and fallback, made once per writing: memos repeat them.
    struct Escape {
        std::uint8_t size = 0;
        std::uint8_t skip = 0;
        char text[RtfOutput::kPadded] = {};
    };

    // first pass: fonts, colours and lists in order of first use (rtf_writer_header.cpp)
    void collect(const QTextFrame* frame);
    void collectBlock(const QTextBlock& block);
    void collectFragment(const QTextFragment& fragment);
    int fontIndex(const QString& family);
    int colorIndex(const QColor& color);
    int symbolFont();
    int listNumber(const QTextList* list);
    QByteArray header();
    void writeFontTable(RtfOutput& head);
    void writeColorTable(RtfOutput& head) const;
    void writeListTable(RtfOutput& head) const;
    void writeListOverrideTable(RtfOutput& head) const;

    // body (rtf_writer.cpp)
    void writeFrame(const QTextFrame* frame);
    void writeTable(const QTextTable* table);
    void writeRowDefinition(const QTextTable* table, int row);
    void writeBlock(const QTextBlock& block, bool inTable, bool lastInCell);
    void writeFragment(const QTextFragment& fragment, QStringView text);
    // Writes a group; what it changes of the \uc count ends with it.
    template <class Content> void group(Content&& content) {
        const int skip = unicodeSkip_;
        out_.open();
        content();
        out_.close();
        unicodeSkip_ = skip;
    }
    // Writes what `write` writes to a buffer of its own, not to the output, and returns it.
    template <class Write> QByteArray aside(Write&& write) {
        RtfOutput saved = std::move(out_);
        out_ = RtfOutput();
        write();
        QByteArray written = out_.take();
        out_ = std::move(saved);
        return written;
    }

    // formats, list marks, pictures and links (rtf_writer_formats.cpp)
    void writeParagraphProperties(const QTextBlock& block);
    void writeListMark(const QTextBlock& block);
    void writeOldStyleNumbering(const QTextBlock& block);
    const RunFormat& runFormat(const QTextFragment& fragment);
    void writeCharProperties(const QTextCharFormat& format);
    void writeFontSize(const QTextCharFormat& format);
    void writePicture(const QTextImageFormat& format);
    void openLink(const QString& target);
    void closeLink();

    // characters (rtf_writer_text.cpp)
    void writeText(QStringView text, bool inFontTable = false);
    qsizetype writeCommonCharacters(QStringView text);
    void writeCharacter(char32_t character);
    void writeUnicode(char16_t unit, CodePageEncoder::Bytes fallback);
    void writeEscaped(char16_t unit);

    const QTextDocument& document_;
    const QTextDocument& resources_;
    RtfOutput out_;
    CodePageEncoder shiftJis_{kShiftJis};
    static constexpr std::size_t kUtf16Units = 0x10000;
    std::vector<std::uint32_t> escapeIndex_ = std::vector<std::uint32_t>(kUtf16Units, 0);
    std::vector<Escape> escapes_ = std::vector<Escape>(1);
    std::vector<FontEntry> fonts_;
    std::vector<QColor> colors_;
    std::vector<const QTextList*> lists_;
    std::vector<int> formatFont_;                      // by format index; -1 not seen yet
    std::vector<std::optional<RunFormat>> runFormats_; // by format index
    int symbolFont_ = -1;
    int unicodeSkip_ = 1;
    int defaultHalfPoints_ = 24;
    bool linkOpen_ = false;
    int linkSkip_ = 1;
    QString linkTarget_;
};

} // namespace orbeta::rtf
