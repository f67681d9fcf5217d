// The writer's first pass and the header it gives: font, colour and list tables.
#include "richtext/rtf_format_properties.h"
#include "richtext/rtf_inline_objects.h"
#include "richtext/rtf_vocabulary.h"
#include "richtext/rtf_writer_core.h"

#include <QTextBlock>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextList>

#include <algorithm>

namespace orbeta::rtf {

namespace {

// Who wrote the file, as the build names the program.
#ifndef ORBETA_RTF_GENERATOR
#define ORBETA_RTF_GENERATOR "Orbeta"
#endif
constexpr char kGenerator[] = " " ORBETA_RTF_GENERATOR ";";

const QString kSymbolFamily = QStringLiteral("Symbol");

QString familyOf(const QTextCharFormat& format) {
    const QStringList families = format.fontFamilies().toStringList();
    return families.isEmpty() ? QString() : families.first();
}

} // namespace

void Writer::collect(const QTextFrame* frame) {
    for (auto it = frame->begin(); !it.atEnd(); ++it) {
        if (const QTextFrame* child = it.currentFrame())
            collect(child);
        else
            collectBlock(it.currentBlock());
    }
}

void Writer::collectBlock(const QTextBlock& block) {
    if (const QTextList* list = block.textList()) {
        listNumber(list);
        if (list->format().style() >= QTextListFormat::ListSquare)
            symbolFont();
    }
    for (auto it = block.begin(); !it.atEnd(); ++it)
        collectFragment(it.fragment());
}

void Writer::collectFragment(const QTextFragment& fragment) {
    // Runs share formats; each format's font and colours are taken once, its scripts from all.
    const auto index = static_cast<std::size_t>(fragment.charFormatIndex());
    if (index >= formatFonts_.size())
        formatFonts_.resize(index + 1);
    FormatFont& font = formatFonts_[index];
    if (!font.seen) {
        font.seen = true;
        const QTextCharFormat format = fragment.charFormat();
        font.object = format.isImageFormat() || isEmbeddedObject(format);
        if (isEmbeddedObject(format))
            collectGroupReferences(embeddedObjectGroup(format), font);
        if (font.object)
            return;
        font.family = familyOf(format);
        if (format.hasProperty(kFontCharsetProperty))
            font.charset = format.intProperty(kFontCharsetProperty);
        if (isHiddenText(format))
            font.scripts |= scriptsOf(hiddenText(format));
        if (format.hasProperty(QTextFormat::ForegroundBrush) &&
            format.foreground().style() != Qt::NoBrush)
            colorIndex(format.foreground().color());
        if (format.hasProperty(QTextFormat::BackgroundBrush) &&
            format.background().style() != Qt::NoBrush)
            colorIndex(format.background().color());
    }
    // The text decides the font's character set only where none was read, and only until it
    // has shown Japanese, which decides it.
    if (!font.object && !font.charset && charsetOfScripts(font.scripts) != kCharsetShiftJis)
        font.scripts |= scriptsOf(fragment.text());
}

// Each format's font entry: its family with the character set it was read with, or, for fonts
// new to the document, the one its name and its text need.
void Writer::decideFonts() {
    const auto charsetOf = [](const QString& family, std::optional<int> charset, int scripts) {
        return charset ? *charset : charsetOfScripts(scripts | scriptsOf(family));
    };
    int defaultScripts = 0;
    for (const FormatFont& font : formatFonts_)
        if (font.seen && !font.object && font.family.isEmpty())
            defaultScripts |= font.scripts;
    fonts_[0] = {defaultFamily_, charsetOf(defaultFamily_, defaultCharset_, defaultScripts)};
    for (FormatFont& font : formatFonts_) {
        for (const auto& [number, named] : font.groupFonts)
            font.groupFontEntries[number] = fontIndex(named.family, named.charset);
        if (!font.seen || font.object)
            continue;
        if (font.family.isEmpty())
            font.entry = 0;
        else
            font.entry = fontIndex(font.family, charsetOf(font.family, font.charset, font.scripts));
    }
}

// The colours an object's group names go into the colour table now; its fonts once the
// document's own fonts have their entries.
void Writer::collectGroupReferences(const KeptGroup& group, FormatFont& font) {
    font.groupFonts = group.fonts;
    for (const auto& [number, color] : group.colors)
        font.groupColorEntries[number] = color.isValid() ? colorIndex(color) : 0;
}

int Writer::fontIndex(const QString& family, int charset) {
    // Entry 0 is the default font, decided last; it is looked for apart from the others.
    if (fonts_[0].name == family && fonts_[0].charset == charset)
        return 0;
    const QPair<QString, int> key{family, charset};
    if (const auto known = fontEntries_.constFind(key); known != fontEntries_.cend())
        return *known;
    fonts_.push_back({family, charset});
    fontEntries_.insert(key, static_cast<int>(fonts_.size()) - 1);
    return static_cast<int>(fonts_.size()) - 1;
}

int Writer::formatFontIndex(int formatIndex) const {
    const auto index = static_cast<std::size_t>(formatIndex);
    return index < formatFonts_.size() && formatFonts_[index].entry >= 0 ? formatFonts_[index].entry
                                                                         : 0;
}

int Writer::symbolFont() {
    if (symbolFont_ < 0)
        symbolFont_ = fontIndex(kSymbolFamily, kCharsetSymbol);
    return symbolFont_;
}

// A list that goes on the one before it of its kind (a long list the reader had to split) is
// written as that one.
int Writer::listNumber(const QTextList* list) {
    if (const auto known = listNumbers_.constFind(list); known != listNumbers_.cend())
        return *known;
    const QTextListFormat format = list->format();
    const QPair<int, int> kind{format.style(), format.indent()};
    int number = lastListOfKind_.value(kind);
    if (number == 0 || !format.boolProperty(kListContinuesProperty)) {
        lists_.push_back(list);
        number = static_cast<int>(lists_.size());
    }
    listNumbers_.insert(list, number);
    lastListOfKind_.insert(kind, number);
    return number;
}

int Writer::colorIndex(const QColor& color) {
    const QColor opaque = color.toRgb();
    if (const auto known = colorEntries_.constFind(opaque.rgb()); known != colorEntries_.cend())
        return *known;
    colors_.push_back(opaque);
    colorEntries_.insert(opaque.rgb(), static_cast<int>(colors_.size()));
    return static_cast<int>(colors_.size());
}

QByteArray Writer::header() {
    RtfOutput head;
    head.open();
    head.word(Kw::rtf, 1);
    head.word(Kw::ansi);
    head.word(Kw::ansicpg, kShiftJis);
    head.word(Kw::deff, 0);
    head.word(Kw::deflang, kLanguageEnglishUs);
    head.word(Kw::deflangfe, kLanguageJapanese);
    writeFontTable(head);
    if (!colors_.empty())
        writeColorTable(head);
    if (!lists_.empty()) {
        writeListTable(head);
        writeListOverrideTable(head);
    }
    // Office suites read some things differently from files that do not say who wrote them.
    head.open();
    head.symbol('*');
    head.word(Kw::generator);
    head.raw(kGenerator);
    head.close();
    head.lineBreak();
    return head.take();
}

void Writer::writeFontTable(RtfOutput& head) {
    head.open();
    head.word(Kw::fonttbl);
    // Font names take the same escapes as text, so they go through the body's output.
    std::swap(out_, head);
    for (std::size_t i = 0; i < fonts_.size(); ++i) {
        const FontEntry& font = fonts_[i];
        group([&] {
            out_.word(Kw::f, static_cast<int>(i));
            out_.word(Kw::fnil);
            if (font.charset != kCharsetNotStated)
                out_.word(Kw::fcharset, font.charset);
            writeFontName(font);
            out_.plain(';');
        });
    }
    std::swap(out_, head);
    head.close();
    head.lineBreak();
}

// A font's name in its own code page, as the font mapper reads it; what the code page lacks as
// \uN. A ";" in the name would end it, so it is escaped.
void Writer::writeFontName(const FontEntry& font) {
    CodePageEncoder& encoder = escapesFor(fallbackCodePage(font.charset)).encoder;
    for (const QChar c : font.name) {
        const char16_t unit = c.unicode();
        if (unit == u';') {
            out_.hexByte(';');
        } else if (unit < 0x80) {
            writeCharacter(unit);
        } else if (const CodePageEncoder::Bytes bytes = encoder.encode(unit); bytes.size > 0) {
            for (int b = 0; b < bytes.size; ++b)
                out_.hexByte(bytes.bytes[b]);
        } else {
            writeUnicode(QChar::isSurrogate(unit) ? u'\uFFFD' : unit, {});
        }
    }
}

void Writer::writeColorTable(RtfOutput& head) const {
    head.open();
    head.word(Kw::colortbl);
    head.plain(';');
    for (const QColor& color : colors_) {
        head.word(Kw::red, color.red());
        head.word(Kw::green, color.green());
        head.word(Kw::blue, color.blue());
        head.plain(';');
    }
    head.close();
    head.lineBreak();
}

// Word and office suites number by these tables; they keep a list's numbering going across
// paragraphs between its items. Older readers use the \pn marks of the paragraphs instead.
void Writer::writeListTable(RtfOutput& head) const {
    head.open();
    head.symbol('*');
    head.word(Kw::listtable);
    for (std::size_t i = 0; i < lists_.size(); ++i) {
        const int number = static_cast<int>(i) + 1;
        const QTextListFormat format = lists_[i]->format();
        const int levelFormat = levelFormatOf(format.style());
        head.open();
        head.word(Kw::list);
        head.word(Kw::listtemplateid, number);
        for (int level = 0; level < std::max(format.indent(), 1); ++level) {
            head.open();
            head.word(Kw::listlevel);
            head.word(Kw::levelnfc, levelFormat);
            head.word(Kw::levelstartat, 1);
            head.open();
            head.word(Kw::leveltext);
            if (levelFormat == kLevelFormatBullet) {
                head.hexByte(1); // the text's length
                head.word(Kw::u, 0x2022);
                head.plain('?');
            } else {
                head.hexByte(2); // the level's number, then a full stop
                head.hexByte(static_cast<unsigned char>(level));
                head.plain('.');
            }
            head.plain(';');
            head.close();
            head.open();
            head.word(Kw::levelnumbers);
            if (levelFormat != kLevelFormatBullet)
                head.hexByte(1); // where in the text the number stands
            head.plain(';');
            head.close();
            head.word(Kw::fi, kListMarkIndent);
            head.word(Kw::li, (level + 1) * kListIndentStep);
            head.close();
        }
        head.word(Kw::listid, number);
        head.close();
    }
    head.close();
    head.lineBreak();
}

void Writer::writeListOverrideTable(RtfOutput& head) const {
    head.open();
    head.symbol('*');
    head.word(Kw::listoverridetable);
    for (std::size_t i = 0; i < lists_.size(); ++i) {
        head.open();
        head.word(Kw::listoverride);
        head.word(Kw::listid, static_cast<int>(i) + 1);
        head.word(Kw::ls, static_cast<int>(i) + 1);
        head.close();
    }
    head.close();
    head.lineBreak();
}

} // namespace orbeta::rtf
