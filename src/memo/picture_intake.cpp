#include "memo/picture_intake.h"

#include "store/file_reason.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QLocale>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orbeta {

namespace {

constexpr int kJpegQuality = 90;

QString unreadable() {
    return QStringLiteral("画像を読めません");
}

// Whether any pixel lets what is under it show.
bool seeThrough(const QImage& image) {
    if (!image.hasAlphaChannel())
        return false;
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < argb.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
        for (int x = 0; x < argb.width(); ++x)
            if (qAlpha(line[x]) < 255)
                return true;
    }
    return false;
}

QSize within(QSize size) {
    if (std::max(size.width(), size.height()) <= IncomingPicture::kLongestSide)
        return size;
    return size
        .scaled(IncomingPicture::kLongestSide, IncomingPicture::kLongestSide, Qt::KeepAspectRatio)
        .expandedTo(QSize(1, 1));
}

IncomingPicture encoded(const QImage& image, bool keepTransparency) {
    IncomingPicture picture;
    const QSize size = within(image.size());
    const QImage scaled = size == image.size()
                              ? image
                              : image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    const bool png = keepTransparency && seeThrough(scaled);
    QBuffer buffer(&picture.bytes);
    buffer.open(QIODevice::WriteOnly);
    const bool saved =
        png ? scaled.save(&buffer, "PNG")
            : scaled.convertToFormat(QImage::Format_RGB32).save(&buffer, "JPEG", kJpegQuality);
    if (!saved) {
        picture.problem = unreadable();
        return picture;
    }
    picture.pixels = size;
    return picture;
}

// Reads what a reader holds, within the bounds; nothing for a picture too large to decode.
IncomingPicture decoded(QImageReader& reader, bool keepTransparency) {
    IncomingPicture picture;
    const QSize size = reader.size();
    if (size.isValid() && qint64{size.width()} * size.height() > IncomingPicture::kMostPixels) {
        picture.problem = QStringLiteral("画像が大きすぎて読めません（%1×%2）")
                              .arg(QLocale(QLocale::Japanese).toString(size.width()),
                                   QLocale(QLocale::Japanese).toString(size.height()));
        return picture;
    }
    if (size.isValid() && std::max(size.width(), size.height()) > IncomingPicture::kLongestSide)
        reader.setScaledSize(within(size)); // decoded small, where the format can
    const QImage image = reader.read();
    if (image.isNull() || image.width() == 0 || image.height() == 0) {
        picture.problem = unreadable();
        return picture;
    }
    return encoded(image, keepTransparency);
}

bool keptAsItCame(const QByteArray& format, QSize size, qint64 bytes) {
    return (format == "png" || format == "jpeg" || format == "jpg") && size.isValid() &&
           !size.isEmpty() && bytes <= IncomingPicture::kMostBytesKept &&
           std::max(size.width(), size.height()) <= IncomingPicture::kLongestSide;
}

IncomingPicture fromDevice(QIODevice& device, qint64 size) {
    QImageReader reader(&device);
    reader.setAutoTransform(true);
    const QByteArray format = reader.format();
    if (format.isEmpty() || !reader.canRead())
        return {{}, {}, unreadable()};
    const QSize pixels = reader.size();
    if (keptAsItCame(format, pixels, size)) {
        device.seek(0);
        IncomingPicture picture;
        picture.bytes = device.readAll();
        picture.pixels = pixels;
        // A header that promises a picture the rest does not hold is no picture.
        if (QImage().loadFromData(picture.bytes))
            return picture;
        return {{}, {}, unreadable()};
    }
    return decoded(reader, true);
}

} // namespace

IncomingPicture IncomingPicture::fromFile(const QString& path) {
    // Only a regular file, opened without waiting: a pipe named like a picture feeds nothing.
    const int descriptor =
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    struct stat status {};
    if (descriptor < 0 || ::fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode)) {
        const QString reason =
            descriptor < 0 ? fileReason(errno) : notRegularFileReason(status.st_mode & S_IFMT);
        if (descriptor >= 0)
            ::close(descriptor);
        return {{}, {}, QStringLiteral("%1（%2）").arg(unreadable(), reason)};
    }
    QFile file;
    file.open(descriptor, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle);
    return fromDevice(file, file.size());
}

IncomingPicture IncomingPicture::fromBytes(const QByteArray& bytes) {
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return fromDevice(buffer, bytes.size());
}

IncomingPicture IncomingPicture::fromImage(const QImage& image) {
    if (image.isNull() || image.width() == 0 || image.height() == 0)
        return {{}, {}, unreadable()};
    if (qint64{image.width()} * image.height() > kMostPixels)
        return {{}, {}, QStringLiteral("画像が大きすぎて読めません")};
    IncomingPicture picture;
    const QSize size = within(image.size());
    const QImage scaled = size == image.size()
                              ? image
                              : image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    QBuffer buffer(&picture.bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!scaled.save(&buffer, "PNG"))
        return {{}, {}, unreadable()};
    picture.pixels = size;
    return picture;
}

} // namespace orbeta
