#include "store/file_names.h"

namespace orbeta {

namespace {

constexpr char16_t kEscapedByte = 0xDC80; // + the byte, for 0x80 to 0xFF

bool isEscapedByte(char16_t unit) {
    return unit >= kEscapedByte && unit <= kEscapedByte + 0x7F;
}

// The length of the valid UTF-8 sequence at `at`, or 0.
qsizetype validSequenceAt(QByteArrayView bytes, qsizetype at) {
    const auto byte = [&](qsizetype i) {
        return static_cast<unsigned char>(bytes[i]);
    };
    const unsigned char lead = byte(at);
    if (lead < 0x80)
        return 1;
    qsizetype length = 0;
    char32_t lowest = 0;
    if ((lead & 0xE0) == 0xC0) {
        length = 2;
        lowest = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3;
        lowest = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4;
        lowest = 0x10000;
    } else {
        return 0;
    }
    if (at + length > bytes.size())
        return 0;
    char32_t code = lead & (0x7F >> length);
    for (qsizetype i = 1; i < length; ++i) {
        if ((byte(at + i) & 0xC0) != 0x80)
            return 0;
        code = (code << 6) | (byte(at + i) & 0x3F);
    }
    const bool surrogate = code >= 0xD800 && code <= 0xDFFF;
    return code < lowest || code > 0x10FFFF || surrogate ? 0 : length;
}

// Marks that change how the text around them reads: the bidirectional controls and the
// invisible format characters.
bool changesTheText(char32_t code) {
    return (code >= 0x202A && code <= 0x202E) || (code >= 0x2066 && code <= 0x2069) ||
           code == 0x200E || code == 0x200F || code == 0x061C ||
           QChar::category(code) == QChar::Other_Format ||
           QChar::category(code) == QChar::Other_Control;
}

QString hex(char32_t value, int digits) {
    return QString::number(static_cast<uint>(value), 16).toUpper().rightJustified(digits, u'0');
}

} // namespace

QString nameFromBytes(QByteArrayView bytes) {
    QString name;
    name.reserve(bytes.size());
    for (qsizetype at = 0; at < bytes.size();) {
        const qsizetype length = validSequenceAt(bytes, at);
        if (length == 0) {
            name += QChar(static_cast<char16_t>(kEscapedByte +
                                                (static_cast<unsigned char>(bytes[at]) - 0x80)));
            ++at;
            continue;
        }
        name += QString::fromUtf8(bytes.sliced(at, length));
        at += length;
    }
    return name;
}

QByteArray bytesOfName(QStringView name) {
    QByteArray bytes;
    bytes.reserve(name.size());
    qsizetype from = 0;
    for (qsizetype i = 0; i <= name.size(); ++i) {
        if (i < name.size() && !isEscapedByte(name[i].unicode()))
            continue;
        bytes += name.sliced(from, i - from).toUtf8();
        if (i < name.size())
            bytes += static_cast<char>(name[i].unicode() - kEscapedByte + 0x80);
        from = i + 1;
    }
    return bytes;
}

QString matchableName(QStringView name) {
    QString matchable = name.toString();
    for (QChar& c : matchable)
        if (isEscapedByte(c.unicode()))
            c = QChar::ReplacementCharacter;
    return matchable;
}

QString visibleName(QStringView name) {
    QString shown;
    for (qsizetype i = 0; i < name.size();) {
        const char16_t unit = name[i].unicode();
        if (isEscapedByte(unit)) {
            shown += QStringLiteral("⟨0x%1⟩").arg(hex(unit - kEscapedByte + 0x80, 2));
            ++i;
            continue;
        }
        char32_t code = unit;
        qsizetype length = 1;
        if (QChar::isHighSurrogate(unit) && i + 1 < name.size() &&
            QChar::isLowSurrogate(name[i + 1].unicode())) {
            code = QChar::surrogateToUcs4(unit, name[i + 1].unicode());
            length = 2;
        }
        if (changesTheText(code))
            shown += QStringLiteral("⟨U+%1⟩").arg(hex(code, 4));
        else
            shown += name.sliced(i, length);
        i += length;
    }
    return shown;
}

} // namespace orbeta
