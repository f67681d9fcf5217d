#pragma once

#include "richtext/code_pages.h"
#include "richtext/rtf_kept_group.h"
#include "richtext/rtf_output.h"

#include <QColor>
#include <QHash>
#include <QString>
#include <QStringView>
#include <QTextFrame>

#include <map>
#include <memory>
#include <optional>
#include <vector>

class QIODevice;
class QTextBlock;
class QTextCharFormat;
class QTextDocument;
class QTextFragment;
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
    static constexpr std::size_t kUtf16Units = 0x10000;

    struct FontEntry {
        QString name;
        int charset = 0; // \fcharsetN; kCharsetNotStated: none written
    };
    // A non-ASCII character's \uN and fallback, made once per writing: memos repeat them.
    struct Escape {
        std::uint8_t size = 0;
        std::uint8_t skip = 0;
        char text[RtfOutput::kPadded] = {};
    };
    // The escapes of one code page's fallback bytes.
    struct Escapes {
        explicit Escapes(int codePage) : encoder(codePage) {}
        CodePageEncoder encoder;
        std::vector<std::uint32_t> index = std::vector<std::uint32_t>(kUtf16Units, 0);
        std::vector<Escape> escapes = std::vector<Escape>(1); // entry 0: none yet
    };
    // What every run of one format writes: found once per format.
    struct RunFormat {
        enum Kind { Text, Image, Embedded, Hidden } kind = Text;
        QString link;
        QByteArray words;           // the format's control words; an object's group
        Escapes* escapes = nullptr; // of the format's font's code page
        int unicodeSkip = 1;        // an object's: the \uc count its group was read under
    };
    // A format's font: its family (empty: the document's default) and what its text holds.
    struct FormatFont {
        bool seen = false;
        bool object = false; // pictures and objects have no font
        QString family;
        std::optional<int> charset; // as read; none: from the script of the text
        int scripts = 0;            // of its text, as charsetOfScripts reads them
        int entry = -1;             // in the font table, once decided
        // An object's group: the fonts and colours it names, as read and as written.
        std::map<int, KeptGroup::Font> groupFonts;
        std::map<int, int> groupFontEntries;
        std::map<int, int> groupColorEntries;
    };

    // first pass: fonts, colours and lists in order of first use (rtf_writer_header.cpp)
    void collect(const QTextFrame* frame);
    void collectBlock(const QTextBlock& block);
    void collectFragment(const QTextFragment& fragment);
    void decideFonts();
    int fontIndex(const QString& family, int charset);
    int formatFontIndex(int formatIndex) const;
    int colorIndex(const QColor& color);
    int symbolFont();
    int listNumber(const QTextList* list);
    void collectGroupReferences(const KeptGroup& group, FormatFont& font);
    QByteArray objectGroup(const QTextCharFormat& format, int formatIndex) const;
    QByteArray header();
    void writeFontTable(RtfOutput& head);
    void writeFontName(const FontEntry& font);
    void writeColorTable(RtfOutput& head) const;
    void writeListTable(RtfOutput& head) const;
    void writeListOverrideTable(RtfOutput& head) const;

    // body (rtf_writer.cpp)
    void writeFrame(const QTextFrame* frame);
    static bool standsBeforeTable(QTextFrame::iterator it);
    void writeTable(const QTextTable* table);
    void writeRowDefinition(const QTextTable* table, int row);
    void writeBlock(const QTextBlock& block, bool inTable, bool lastInCell);
    void writeFragment(const QTextFragment& fragment, QStringView text);
    void closeRun();
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
        written.squeeze(); // kept for every format: not with the output's room to grow
        out_ = std::move(saved);
        return written;
    }

    // formats, list marks, pictures and links (rtf_writer_formats.cpp)
    void writeParagraphProperties(const QTextBlock& block);
    void writeListMark(const QTextBlock& block);
    void writeOldStyleNumbering(const QTextBlock& block);
    const RunFormat& runFormat(const QTextFragment& fragment);
    void writeCharProperties(const QTextCharFormat& format, int formatIndex);
    int writeFontSize(const QTextCharFormat& format);
    void writeRaised(const QTextCharFormat& format, int halfPoints);
    void writePicture(const QTextImageFormat& format);
    void openLink(const QString& target);
    void closeLink();

    // characters (rtf_writer_text.cpp)
    void writeText(QStringView text);
    qsizetype writeCommonCharacters(QStringView text);
    void writeCharacter(char32_t character);
    void writeUnicode(char16_t unit, CodePageEncoder::Bytes fallback);
    void writeEscaped(char16_t unit);
    Escapes& escapesFor(int codePage);
    // The code page of the bytes that follow \uN in a font of this character set: the set's
    // own, or the document's where the set names none.
    static int fallbackCodePage(int charset) {
        const int codePage = codePageOfCharset(charset);
        return codePage > 0 ? codePage : kShiftJis;
    }

    const QTextDocument& document_;
    const QTextDocument& resources_;
    RtfOutput out_;
    std::vector<std::unique_ptr<Escapes>> escapeTables_;
    Escapes* escapes_ = nullptr; // of the run being written
    std::vector<FontEntry> fonts_;
    QHash<QPair<QString, int>, int> fontEntries_; // family and character set to entry
    std::vector<QColor> colors_;
    QHash<QRgb, int> colorEntries_;
    std::vector<const QTextList*> lists_; // by number, less one
    QHash<const QTextList*, int> listNumbers_;
    QHash<QPair<int, int>, int> lastListOfKind_; // style and indent to the last number given
    QString defaultFamily_;
    std::optional<int> defaultCharset_;                  // as read; none: from the script
    std::vector<FormatFont> formatFonts_;                // by format index
    std::vector<std::unique_ptr<RunFormat>> runFormats_; // by format index; they do not move
    int symbolFont_ = -1;
    int unicodeSkip_ = 1;
    int defaultHalfPoints_ = 24;
    bool runOpen_ = false;                     // a text run's group, which the next run may share
    const QByteArray* openRunWords_ = nullptr; // in runFormats_, which the open run keeps
    int runSkip_ = 1;
    bool linkOpen_ = false;
    int linkSkip_ = 1;
    QString linkTarget_;
};

} // namespace orbeta::rtf
