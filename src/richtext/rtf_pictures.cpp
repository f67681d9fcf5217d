#include "richtext/rtf_pictures.h"

#include "app/twips.h"
#include "richtext/rtf_tokenizer.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QImage>
#include <QImageReader>
#include <QPixmap>
#include <QTextDocument>
#include <QUrl>

#include <algorithm>
#include <cmath>

namespace orbeta::rtf {

namespace {

// Pictures beyond this are left out rather than kept in memory.
constexpr qsizetype kMaxPictureBytes = 64 * 1024 * 1024;
// Sizes beyond these are damage; they are cut to them.
constexpr int kMaxPictureNumber = 1 << 24;
constexpr int kMaxGoalTwips = 4 * 31680; // 88 inches
constexpr int kMaxScalePercent = 10000;
constexpr double kFullScale = 100.0; // percent

PictureKind kindOf(const QByteArray& bytes) {
    if (bytes.startsWith("\x89PNG\r\n\x1a\n"))
        return PictureKind::Png;
    if (bytes.startsWith("\xff\xd8\xff"))
        return PictureKind::Jpeg;
    return PictureKind::Unknown;
}

QSize imageSize(const QByteArray& bytes) {
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    return reader.size();
}

} // namespace

void PictureData::word(Kw word, int value) {
    const int number = std::clamp(value, 0, kMaxPictureNumber);
    switch (word) {
    case Kw::pngblip:
        kind = PictureKind::Png;
        break;
    case Kw::jpegblip:
        kind = PictureKind::Jpeg;
        break;
    case Kw::picw:
        pixelWidth = number;
        break;
    case Kw::pich:
        pixelHeight = number;
        break;
    case Kw::picwgoal:
        goalWidth = std::min(number, kMaxGoalTwips);
        break;
    case Kw::pichgoal:
        goalHeight = std::min(number, kMaxGoalTwips);
        break;
    case Kw::picscalex:
        scaleX = number;
        break;
    case Kw::picscaley:
        scaleY = number;
        break;
    default:
        break;
    }
}

void PictureData::addHex(QByteArrayView text) {
    if (bytes.size() >= kMaxPictureBytes)
        return;
    for (const char c : text) {
        const int value = hexDigitValue(c);
        if (value < 0)
            continue;
        if (pendingNibble_ < 0) {
            pendingNibble_ = value;
        } else {
            bytes.append(static_cast<char>(pendingNibble_ * 16 + value));
            pendingNibble_ = -1;
        }
    }
}

void PictureData::addBinary(QByteArrayView data) {
    if (bytes.size() + data.size() <= kMaxPictureBytes)
        bytes.append(data);
}

std::optional<QTextImageFormat> placePicture(const PictureData& picture, QTextDocument& document) {
    if (picture.kind == PictureKind::Unknown || kindOf(picture.bytes) != picture.kind)
        return std::nullopt;
    const QSize natural = imageSize(picture.bytes);
    if (!natural.isValid() || natural.isEmpty())
        return std::nullopt;

    const QString name =
        QStringLiteral("rtf-picture:") +
        QString::fromLatin1(
            QCryptographicHash::hash(picture.bytes, QCryptographicHash::Sha1).toHex());
    document.addResource(QTextDocument::ImageResource, QUrl(name), picture.bytes);
    QTextImageFormat format;
    format.setName(name);

    const double width =
        picture.goalWidth > 0 ? twips::toExactPixels(picture.goalWidth) : natural.width();
    const double height =
        picture.goalHeight > 0 ? twips::toExactPixels(picture.goalHeight) : natural.height();
    const double shownWidth = width * std::clamp(picture.scaleX, 1, kMaxScalePercent) / kFullScale;
    const double shownHeight =
        height * std::clamp(picture.scaleY, 1, kMaxScalePercent) / kFullScale;
    if (std::fabs(shownWidth - natural.width()) >= 0.5 ||
        std::fabs(shownHeight - natural.height()) >= 0.5) {
        format.setWidth(shownWidth);
        format.setHeight(shownHeight);
    }
    return format;
}

std::optional<StoredPicture> storedPicture(const QTextDocument& resources,
                                           const QTextImageFormat& format) {
    const QVariant resource = resources.resource(QTextDocument::ImageResource, QUrl(format.name()));
    StoredPicture stored;
    if (resource.userType() == QMetaType::QByteArray) {
        stored.bytes = resource.toByteArray();
        stored.kind = kindOf(stored.bytes);
        stored.pixels = imageSize(stored.bytes);
    }
    if (stored.kind == PictureKind::Unknown || !stored.pixels.isValid()) {
        QImage image;
        if (resource.userType() == QMetaType::QImage)
            image = resource.value<QImage>();
        else if (resource.userType() == QMetaType::QPixmap)
            image = resource.value<QPixmap>().toImage();
        else if (resource.userType() == QMetaType::QByteArray)
            image.loadFromData(resource.toByteArray());
        if (image.isNull())
            return std::nullopt;
        QBuffer buffer(&stored.bytes);
        buffer.open(QIODevice::WriteOnly);
        stored.bytes.clear();
        if (!image.save(&buffer, "PNG"))
            return std::nullopt;
        stored.kind = PictureKind::Png;
        stored.pixels = image.size();
    }
    QSizeF shown = stored.pixels;
    if (format.width() > 0 && format.height() > 0)
        shown = QSizeF(format.width(), format.height());
    else if (format.width() > 0)
        shown =
            QSizeF(format.width(), format.width() * stored.pixels.height() / stored.pixels.width());
    else if (format.height() > 0)
        shown = QSizeF(format.height() * stored.pixels.width() / stored.pixels.height(),
                       format.height());
    stored.shownPixels = shown;
    return stored;
}

} // namespace orbeta::rtf
