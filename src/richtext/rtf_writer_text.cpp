// The writer's characters: plain ASCII, escapes, and \uN with a code page 932 fallback.
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

qsizetype Writer::writeCommonCharacters(QStringView text) {
    // Plain ASCII, and characters escaped once before: the bulk of a memo, written straight
    // into the output.
    RtfOutput::Direct out = out_.direct(text.size() * (RtfOutput::kPadded + 3));
    const std::uint32_t* escapeIndex = escapeIndex_.data();
    const Escape* escapes = escapes_.data();
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

void Writer::writeText(QStringView text, bool inFontTable) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (!inFontTable) {
            i += writeCommonCharacters(text.sliced(i));
            if (i >= text.size())
                break;
        }
        const char16_t unit = text[i].unicode();
        if (QChar::isHighSurrogate(unit) && i + 1 < text.size() &&
            QChar::isLowSurrogate(text[i + 1].unicode())) {
            out_.breakIfLong();
            writeUnicode(unit, {});
            writeUnicode(text[i + 1].unicode(), {});
            ++i;
            continue;
        }
        if (inFontTable && unit >= 0x80) {
            const CodePageEncoder::Bytes bytes = shiftJis_.encode(unit);
            if (bytes.size > 0) { // names stay in code page 932 bytes where they can
                for (int b = 0; b < bytes.size; ++b)
                    out_.hexByte(bytes.bytes[b]);
                continue;
            }
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
    std::uint32_t& index = escapeIndex_[unit];
    if (index == 0) {
        const int skip = unicodeSkip_;
        const CodePageEncoder::Bytes fallback = shiftJis_.encode(unit);
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
        escapes_.push_back(escape);
        index = static_cast<std::uint32_t>(escapes_.size() - 1);
        unicodeSkip_ = skip;
    }
    const Escape& escape = escapes_[index];
    if (escape.skip != unicodeSkip_) {
        out_.word(Kw::uc, escape.skip);
        unicodeSkip_ = escape.skip;
    }
    out_.rawPadded(escape.text, escape.size);
}

// \uN, then the code page 932 bytes for readers without Unicode, or "?" where there are none.
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
