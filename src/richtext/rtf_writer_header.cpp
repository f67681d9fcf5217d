// The writer's first pass and the header it gives: font, colour and list tables.
#include "richtext/rtf_vocabulary.h"
#include "richtext/rtf_writer_core.h"

#include <QTextBlock>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextList>

#include <algorithm>

namespace orbeta::rtf {

namespace {

constexpr int kCharsetAnsi = 0;
constexpr int kCharsetSymbol = 2;
constexpr int kCharsetShiftJis = 128;

bool isAscii(QStringView text) {
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; });
}

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
    // Runs share formats; each format's font and colours are taken once.
    const auto index = static_cast<std::size_t>(fragment.charFormatIndex());
    if (index >= formatFont_.size())
        formatFont_.resize(index + 1, -1);
    int& font = formatFont_[index];
    if (font < 0) {
        const QTextCharFormat format = fragment.charFormat();
        if (format.isImageFormat())
            return;
        const QString family = familyOf(format);
        font = family.isEmpty() ? 0 : fontIndex(family);
        if (format.hasProperty(QTextFormat::ForegroundBrush) &&
            format.foreground().style() != Qt::NoBrush)
            colorIndex(format.foreground().color());
        if (format.hasProperty(QTextFormat::BackgroundBrush) &&
            format.background().style() != Qt::NoBrush)
            colorIndex(format.background().color());
    }
    FontEntry& entry = fonts_[static_cast<std::size_t>(font)];
    if (!entry.japanese && !isAscii(fragment.text()))
        entry.japanese = true;
}

int Writer::fontIndex(const QString& family) {
    for (std::size_t i = 0; i < fonts_.size(); ++i)
        if (!fonts_[i].symbol && fonts_[i].name == family)
            return static_cast<int>(i);
    fonts_.push_back({family, !isAscii(family), false});
    return static_cast<int>(fonts_.size() - 1);
}

int Writer::symbolFont() {
    if (symbolFont_ < 0) {
        fonts_.push_back({QStringLiteral("Symbol"), false, true});
        symbolFont_ = static_cast<int>(fonts_.size() - 1);
    }
    return symbolFont_;
}

int Writer::listNumber(const QTextList* list) {
    const auto found = std::find(lists_.begin(), lists_.end(), list);
    if (found != lists_.end())
        return static_cast<int>(found - lists_.begin()) + 1;
    lists_.push_back(list);
    return static_cast<int>(lists_.size());
}

int Writer::colorIndex(const QColor& color) {
    const QColor opaque = color.toRgb();
    for (std::size_t i = 0; i < colors_.size(); ++i)
        if (colors_[i].rgb() == opaque.rgb())
            return static_cast<int>(i + 1);
    colors_.push_back(opaque);
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
            out_.word(Kw::fcharset, font.symbol     ? kCharsetSymbol
                                    : font.japanese ? kCharsetShiftJis
                                                    : kCharsetAnsi);
            writeText(font.name, true);
            out_.plain(';');
        });
    }
    std::swap(out_, head);
    head.close();
    head.lineBreak();
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
