// The writer's characters: plain ASCII, escapes, and \uN with a fallback in the font's code page.
#include "richtext/rtf_vocabulary.h"
#include "richtext/rtf_writer_core.h"

#include <algorithm>
#include <cstring>

namespace orbeta::rtf {

namespace {

constexpr char32_t kReplacementCharacter = 0xFFFD;
constexpr int kUnicodeWordWrap = 0x10000; // \uN is a signed 16-bit number

bool isPlainAscii(char32_t character) {
    return character >= 0x20 && character < 0x7F && character != '\\' && character != '{' &&
           character != '}';
}

} // namespace

Writer::Escapes& Writer::escapesFor(int codePage) {
    for (const auto& table : escapeTables_)
        if (table->encoder.codePage() == codePage)
            return *table;
    escapeTables_.push_back(std::make_unique<Escapes>(codePage));
    return *escapeTables_.back();
}

qsizetype Writer::writeCommonCharacters(QStringView text) {
    // Plain ASCII, and characters escaped once before: the bulk of a memo, written straight
    // into the output.
    RtfOutput::Direct out = out_.direct(text.size() * (RtfOutput::kPadded + 3));
    const std::uint32_t* escapeIndex = escapes_->index.data();
    const Escape* escapes = escapes_->escapes.data();
    const int skip = unicodeSkip_;
    const char16_t* units = text.utf16();
    qsizetype i = 0;
    for (; i < text.size(); ++i) {
        const char16_t unit = units[i];
        if (isPlainAscii(unit)) {
            out.plain(static_cast<char>(unit));
            continue;
        }
        const Escape& escape = escapes[escapeIndex[unit]]; // entry 0: none yet
        if (unit < 0x80 || escape.skip != skip)
            break;
        out.padded(escape.text, escape.size);
    }
    out_.finish(out);
    return i;
}

void Writer::writeText(QStringView text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        i += writeCommonCharacters(text.sliced(i));
        if (i >= text.size())
            break;
        const char16_t unit = text[i].unicode();
        if (QChar::isHighSurrogate(unit) && i + 1 < text.size() &&
            QChar::isLowSurrogate(text[i + 1].unicode())) {
            out_.breakIfLong();
            writeUnicode(unit, {});
            writeUnicode(text[i + 1].unicode(), {});
            ++i;
            continue;
        }
        writeCharacter(QChar::isSurrogate(unit) ? kReplacementCharacter : char32_t{unit});
    }
}

void Writer::writeCharacter(char32_t character) {
    out_.breakIfLong();
    if (isPlainAscii(character)) {
        out_.plain(static_cast<char>(character));
        return;
    }
    if (character == '\\' || character == '{' || character == '}') {
        out_.escaped(static_cast<char>(character));
        return;
    }
    if (const auto spelling = spellingOf(static_cast<char16_t>(character))) {
        if (spelling->symbol)
            out_.symbol(spelling->symbol);
        else
            out_.word(spelling->word);
        return;
    }
    if (character < 0x20)
        return; // other control characters are not text
    if (character < 0x80) {
        out_.plain(static_cast<char>(character));
        return;
    }
    writeEscaped(static_cast<char16_t>(character));
}

void Writer::writeEscaped(char16_t unit) {
    std::uint32_t& index = escapes_->index[unit];
    std::vector<Escape>& escapes = escapes_->escapes;
    if (index == 0) {
        const int skip = unicodeSkip_;
        const CodePageEncoder::Bytes fallback = escapes_->encoder.encode(unit);
        Escape escape;
        const QByteArray text = aside([&] {
            unicodeSkip_ = std::max(fallback.size, 1); // the \uc goes in front when needed
            writeUnicode(unit, fallback);
        });
        escape.size =
            static_cast<std::uint8_t>(std::min<qsizetype>(text.size(), sizeof escape.text));
        Q_ASSERT(text.size() <= qsizetype{sizeof escape.text});
        std::memcpy(escape.text, text.constData(), escape.size);
        escape.skip = static_cast<std::uint8_t>(unicodeSkip_);
        escapes.push_back(escape);
        index = static_cast<std::uint32_t>(escapes.size() - 1);
        unicodeSkip_ = skip;
    }
    const Escape& escape = escapes[index];
    if (escape.skip != unicodeSkip_) {
        out_.word(Kw::uc, escape.skip);
        unicodeSkip_ = escape.skip;
    }
    out_.rawPadded(escape.text, escape.size);
}

// \uN, then the bytes in the font's code page for readers without Unicode, or "?" where there are
// none.
void Writer::writeUnicode(char16_t unit, CodePageEncoder::Bytes fallback) {
    const int skip = std::max(fallback.size, 1);
    if (skip != unicodeSkip_) {
        out_.word(Kw::uc, skip);
        unicodeSkip_ = skip;
    }
    out_.word(Kw::u,
              unit > 0x7FFF ? static_cast<int>(unit) - kUnicodeWordWrap : static_cast<int>(unit));
    if (fallback.size == 0)
        out_.plain('?');
    for (int b = 0; b < fallback.size; ++b)
        out_.hexByte(fallback.bytes[b]);
}

} // namespace orbeta::rtf
