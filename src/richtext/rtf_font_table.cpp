#include "richtext/rtf_font_table.h"

namespace orbeta::rtf {

void FontTable::word(Kw word, int value) {
    switch (word) {
    case Kw::f:
        finishFont();
        current_ = &fonts_[value];
        *current_ = Font();
        break;
    case Kw::fcharset:
        if (!current_)
            break;
        current_->charset = value;
        if (value != kCharsetDefault)
            current_->codePage = codePageOfCharset(value);
        break;
    case Kw::cpg:
        if (current_ && isCodePageNumber(value))
            current_->codePage = CodePageDecoder(value).codePage();
        break;
    default:
        break;
    }
}

void FontTable::text(QByteArrayView bytes) {
    if (!current_)
        return;
    for (const char c : bytes) {
        if (c == ';') {
            finishFont();
            return;
        }
        current_->nameBytes.append(c);
    }
}

void FontTable::byte(char byte) {
    if (current_)
        current_->nameBytes.append(byte);
}

void FontTable::character(char16_t unit) {
    if (!current_)
        return;
    decodeNameBytes();
    current_->name += QChar(unit);
}

void FontTable::decodeNameBytes() {
    const int codePage = current_->codePage > 0 ? current_->codePage : codePages_.documentCodePage;
    codePages_.decoders.get(codePage).decode(current_->nameBytes, current_->name);
    current_->nameBytes.clear();
}

void FontTable::finishFont() {
    if (!current_)
        return;
    decodeNameBytes();
    current_->name = current_->name.trimmed();
    current_ = nullptr;
}

int FontTable::codePageOf(int font) const {
    const auto found = fonts_.find(font);
    return found == fonts_.end() ? 0 : found->second.codePage;
}

int FontTable::charsetOf(int font) const {
    const auto found = fonts_.find(font);
    return found == fonts_.end() ? kCharsetNotStated : found->second.charset;
}

QString FontTable::familyOf(int font) const {
    const auto found = fonts_.find(font);
    return found == fonts_.end() ? QString() : found->second.name;
}

} // namespace orbeta::rtf
