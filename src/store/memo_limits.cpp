#include "store/memo_limits.h"

#include "richtext/rtf_inline_objects.h"

#include <QLocale>
#include <QSet>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextImageFormat>

namespace orbeta {

namespace {

QString count(qint64 value) {
    return QLocale(QLocale::Japanese).toString(value);
}

} // namespace

QString japaneseSize(qint64 bytes) {
    return QLocale(QLocale::Japanese)
        .formattedDataSize(bytes, 1, QLocale::DataSizeTraditionalFormat);
}

MemoContentSize& MemoContentSize::operator+=(const MemoContentSize& other) {
    characters += other.characters;
    pictureBytes += other.pictureBytes;
    return *this;
}

MemoContentSize MemoContentSize::operator-(const MemoContentSize& other) const {
    return {characters - other.characters, pictureBytes - other.pictureBytes};
}

bool MemoContentSize::fits() const {
    return characters <= kMaxEditableCharacters && pictureBytes <= kMaxPictureBytes;
}

MemoContentSize contentSizeOf(const QTextDocument& document) {
    MemoContentSize size;
    size.characters = std::max(0, document.characterCount() - 1);
    QSet<QString> pictures; // a picture shown twice is kept once
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        for (auto fragment = block.begin(); !fragment.atEnd(); ++fragment) {
            const QTextCharFormat format = fragment.fragment().charFormat();
            if (format.isImageFormat()) {
                const QString name = format.toImageFormat().name();
                if (!pictures.contains(name)) {
                    pictures.insert(name);
                    size.pictureBytes += document.resource(QTextDocument::ImageResource, QUrl(name))
                                             .toByteArray()
                                             .size();
                }
            } else if (rtf::isEmbeddedObject(format)) {
                size.pictureBytes += rtf::embeddedObjectGroup(format).rtf.size() / 2;
            }
        }
    }
    return size;
}

QString tooLargeToTake(const MemoContentSize& adding, const MemoContentSize& holding) {
    if (holding.characters + adding.characters > kMaxEditableCharacters)
        return QStringLiteral("大きすぎるため、入れませんでした（%1 文字）。\n\n"
                              "一つのメモに入れられるのは %2 文字までです（いまは %3 文字）。")
            .arg(count(adding.characters), count(kMaxEditableCharacters),
                 count(holding.characters));
    return QStringLiteral("画像が大きすぎるため、入れませんでした（%1）。\n\n"
                          "一つのメモに入れられる画像は合わせて %2 までです（いまは %3）。")
        .arg(japaneseSize(adding.pictureBytes), japaneseSize(kMaxPictureBytes),
             japaneseSize(holding.pictureBytes));
}

} // namespace orbeta
