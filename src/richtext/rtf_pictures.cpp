#include "richtext/rtf_pictures.h"

#include "richtext/rtf_format_properties.h"
#include "richtext/rtf_tokenizer.h"
#include "richtext/rtf_units.h"

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
constexpr double kFullScale = 100.0;              // percent
constexpr double kHimetricPerPixel = 2540.0 / 96; // metafile sizes are in 0.01 mm
constexpr QSizeF kPlaceholderSize(32, 32);
// A bitmap file's header: "BM", the file's size, two reserved words, where the pixels start.
constexpr qsizetype kBitmapFileHeaderSize = 14;
constexpr qsizetype kBitmapInfoHeaderSize = 40;
constexpr std::uint32_t kBitFields = 3; // biCompression: three colour masks follow the header

std::uint32_t littleEndian32(QByteArrayView bytes, qsizetype at) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = value << 8 | static_cast<std::uint8_t>(bytes[at + i]);
    return value;
}

// Qt reads bitmap files; a DIB in RTF is one without the file header, which is put back.
QImage dibImage(const QByteArray& dib) {
    if (dib.size() < kBitmapInfoHeaderSize)
        return {};
    const std::uint32_t headerSize = littleEndian32(dib, 0);
    const std::uint32_t bitCount = littleEndian32(dib, 12) >> 16 & 0xFFFF; // after biPlanes
    const std::uint32_t compression = littleEndian32(dib, 16);
    const std::uint32_t colorsUsed = littleEndian32(dib, 32);
    if (headerSize < kBitmapInfoHeaderSize || headerSize > static_cast<std::uint32_t>(dib.size()))
        return {};
    std::uint32_t palette = bitCount <= 8 ? (colorsUsed ? colorsUsed : 1u << bitCount) * 4 : 0;
    if (compression == kBitFields && headerSize == kBitmapInfoHeaderSize)
        palette += 12;
    const auto fileSize = static_cast<std::uint32_t>(kBitmapFileHeaderSize + dib.size());
    const auto pixelsAt = static_cast<std::uint32_t>(kBitmapFileHeaderSize) + headerSize + palette;
    QByteArray file("BM");
    for (const std::uint32_t value : {fileSize, 0u, pixelsAt})
        for (int shift = 0; shift < 32; shift += 8)
            file.append(static_cast<char>(value >> shift & 0xFF));
    file.append(dib);
    return QImage::fromData(file, "BMP");
}

QString labelOf(PictureKind kind) {
    switch (kind) {
    case PictureKind::Png:
        return QStringLiteral("PNG");
    case PictureKind::Jpeg:
        return QStringLiteral("JPEG");
    case PictureKind::Emf:
        return QStringLiteral("EMF");
    case PictureKind::Wmf:
        return QStringLiteral("WMF");
    case PictureKind::Dib:
    case PictureKind::Bitmap:
        return QStringLiteral("BMP");
    case PictureKind::MacPict:
        return QStringLiteral("PICT");
    case PictureKind::Os2Metafile:
        return QStringLiteral("MET");
    case PictureKind::Unknown:
        break;
    }
    return QStringLiteral("?");
}

QImage drawableImage(const PictureData& picture) {
    if (picture.kind == PictureKind::Dib)
        return dibImage(picture.bytes);
    if (picture.kind == PictureKind::Png || picture.kind == PictureKind::Jpeg)
        return QImage::fromData(picture.bytes);
    return {};
}

// The size the picture's own numbers give, before \picwgoal and the scales.
QSizeF naturalSize(const PictureData& picture, const QImage& image) {
    const bool metafile = picture.kind == PictureKind::Wmf || picture.kind == PictureKind::Emf ||
                          picture.kind == PictureKind::Os2Metafile;
    if (picture.pixelWidth > 0 && picture.pixelHeight > 0) {
        const double unit = metafile ? kHimetricPerPixel : 1.0;
        return {picture.pixelWidth / unit, picture.pixelHeight / unit};
    }
    return image.isNull() ? kPlaceholderSize : QSizeF(image.size());
}

QSizeF scaled(QSizeF size, int scaleX, int scaleY) {
    return {size.width() * std::clamp(scaleX, 1, kMaxScalePercent) / kFullScale,
            size.height() * std::clamp(scaleY, 1, kMaxScalePercent) / kFullScale};
}

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
    case Kw::jpegblip:
    case Kw::emfblip:
    case Kw::wmetafile:
    case Kw::dibitmap:
    case Kw::wbitmap:
    case Kw::macpict:
    case Kw::pmmetafile:
        kindWord = word;
        kindParameter = number;
        break;
    default:
        break;
    }
    switch (word) {
    case Kw::pngblip:
        kind = PictureKind::Png;
        break;
    case Kw::jpegblip:
        kind = PictureKind::Jpeg;
        break;
    case Kw::emfblip:
        kind = PictureKind::Emf;
        break;
    case Kw::wmetafile:
        kind = PictureKind::Wmf;
        break;
    case Kw::dibitmap:
        kind = PictureKind::Dib;
        break;
    case Kw::wbitmap:
        kind = PictureKind::Bitmap;
        break;
    case Kw::macpict:
        kind = PictureKind::MacPict;
        break;
    case Kw::pmmetafile:
        kind = PictureKind::Os2Metafile;
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
    case Kw::piccropl:
    case Kw::piccropr:
    case Kw::piccropt:
    case Kw::piccropb:
        crop[static_cast<int>(word) - static_cast<int>(Kw::piccropl)] =
            std::clamp(value, -kMaxGoalTwips, kMaxGoalTwips);
        break;
    default:
        break;
    }
}

void PictureData::addHex(QByteArrayView text) {
    if (bytes.size() >= kMaxPictureBytes)
        return;
    // Decoded straight into room made for the whole run: a picture is millions of digits, and
    // appending them a byte at a time was most of the time a memo with photos took to open.
    const qsizetype start = bytes.size();
    const qsizetype most = start + text.size() / 2 + 1;
    if (most > bytes.capacity())
        bytes.reserve(std::max(most, 2 * bytes.capacity()));
    bytes.resize(most);
    char* out = bytes.data() + start;
    for (const char c : text) {
        const int value = hexDigitValue(c);
        if (value < 0)
            continue;
        if (pendingNibble_ < 0) {
            pendingNibble_ = value;
        } else {
            *out++ = static_cast<char>(pendingNibble_ * 16 + value);
            pendingNibble_ = -1;
        }
    }
    bytes.resize(out - bytes.constData());
}

void PictureData::addBinary(QByteArrayView data) {
    if (bytes.size() + data.size() <= kMaxPictureBytes)
        bytes.append(data);
}

std::optional<QTextImageFormat> placePicture(const PictureData& picture, QTextDocument& document) {
    if (picture.kind != PictureKind::Png && picture.kind != PictureKind::Jpeg)
        return std::nullopt;
    if (kindOf(picture.bytes) != picture.kind)
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
        picture.goalWidth > 0 ? units::toExactPixels(picture.goalWidth) : natural.width();
    const double height =
        picture.goalHeight > 0 ? units::toExactPixels(picture.goalHeight) : natural.height();
    const double shownWidth = width * std::clamp(picture.scaleX, 1, kMaxScalePercent) / kFullScale;
    const double shownHeight =
        height * std::clamp(picture.scaleY, 1, kMaxScalePercent) / kFullScale;
    if (std::fabs(shownWidth - natural.width()) >= 0.5 ||
        std::fabs(shownHeight - natural.height()) >= 0.5) {
        format.setWidth(shownWidth);
        format.setHeight(shownHeight);
    }
    if (std::any_of(std::begin(picture.crop), std::end(picture.crop), [](int c) { return c != 0; }))
        format.setProperty(kPictureCropProperty, QVariantList{picture.crop[0], picture.crop[1],
                                                              picture.crop[2], picture.crop[3]});
    if (!picture.groups.isEmpty())
        format.setProperty(kPictureGroupsProperty, picture.groups);
    return format;
}

// A picture group made of what was read of one: its kind, its sizes, its bytes.
QByteArray pictureGroup(const PictureData& picture) {
    QByteArray group("{\\pict");
    const auto word = [&](Kw keyword, int value) {
        group += '\\' +
                 QByteArray(keywordName(keyword).data(),
                            static_cast<qsizetype>(keywordName(keyword).size())) +
                 QByteArray::number(value);
    };
    if (picture.kindWord != Kw::Unknown)
        word(picture.kindWord, picture.kindParameter);
    word(Kw::picw, picture.pixelWidth);
    word(Kw::pich, picture.pixelHeight);
    word(Kw::picwgoal, picture.goalWidth);
    word(Kw::pichgoal, picture.goalHeight);
    word(Kw::picscalex, picture.scaleX);
    word(Kw::picscaley, picture.scaleY);
    return group + ' ' + picture.bytes.toHex() + '}';
}

EmbeddedObject embeddedPicture(const PictureData& picture, const KeptGroup& group) {
    EmbeddedObject object;
    object.group = group;
    if (group.rtf.isEmpty())
        object.group.rtf = pictureGroup(picture);
    object.image = drawableImage(picture);
    object.label = labelOf(picture.kind);
    QSizeF size = naturalSize(picture, object.image);
    if (picture.goalWidth > 0)
        size.setWidth(units::toExactPixels(picture.goalWidth));
    if (picture.goalHeight > 0)
        size.setHeight(units::toExactPixels(picture.goalHeight));
    object.size = scaled(size, picture.scaleX, picture.scaleY);
    return object;
}

void ObjectData::word(Kw word, int value) {
    const int number = std::clamp(value, 0, kMaxPictureNumber);
    switch (word) {
    case Kw::objw:
        width = std::min(number, kMaxGoalTwips);
        break;
    case Kw::objh:
        height = std::min(number, kMaxGoalTwips);
        break;
    case Kw::objscalex:
        scaleX = number;
        break;
    case Kw::objscaley:
        scaleY = number;
        break;
    default:
        break;
    }
}

std::optional<EmbeddedObject> embeddedObject(const ObjectData& data, const KeptGroup& group) {
    if (group.rtf.isEmpty()) // damaged: what stands in for it is all that can be kept
        return data.result ? std::optional(embeddedPicture(*data.result)) : std::nullopt;
    EmbeddedObject object;
    if (data.result)
        object = embeddedPicture(*data.result, group);
    object.group = group;
    object.label = QStringLiteral("OLE");
    if (data.width > 0 && data.height > 0)
        object.size =
            scaled(QSizeF(units::toExactPixels(data.width), units::toExactPixels(data.height)),
                   data.scaleX, data.scaleY);
    else if (!data.result)
        object.size = kPlaceholderSize;
    return object;
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
    for (const QVariant& side : format.property(kPictureCropProperty).toList())
        stored.crop.append(side.toInt());
    stored.groups = format.property(kPictureGroupsProperty).toByteArray();
    return stored;
}

} // namespace orbeta::rtf
