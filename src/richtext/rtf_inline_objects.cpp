#include "richtext/rtf_inline_objects.h"

#include "richtext/rtf_format_properties.h"

#include <QAbstractTextDocumentLayout>
#include <QBuffer>
#include <QHash>
#include <QImageReader>
#include <QPainter>
#include <QPixmap>
#include <QTextDocument>
#include <QTextImageFormat>

namespace orbeta::rtf {

namespace {

constexpr int kRtf = kObjectRtfProperty;
constexpr int kWidth = kObjectWidthProperty;
constexpr int kHeight = kObjectHeightProperty;
constexpr int kImage = kObjectImageProperty;
constexpr int kLabel = kObjectLabelProperty;
constexpr int kHiddenText = kHiddenTextProperty;

// Draws pictures and placeholders where the layout asks; hidden text takes no room.
class InlineObjectPainter final : public QObject, public QTextObjectInterface {
    Q_OBJECT
    Q_INTERFACES(QTextObjectInterface)
public:
    explicit InlineObjectPainter(QObject* parent) : QObject(parent) {}

    QSizeF intrinsicSize(QTextDocument*, int, const QTextFormat& format) override {
        return isEmbeddedObject(format) ? embeddedObjectSize(format) : QSizeF(0, 0);
    }

    void drawObject(QPainter* painter, const QRectF& rect, QTextDocument*, int,
                    const QTextFormat& format) override {
        if (!isEmbeddedObject(format) || rect.isEmpty())
            return;
        const QImage image = format.property(kImage).value<QImage>();
        if (!image.isNull()) {
            painter->drawImage(rect, image);
            return;
        }
        painter->save();
        painter->setPen(QPen(Qt::darkGray, 1, Qt::DashLine));
        painter->setBrush(QColor(0xf4, 0xf4, 0xf4));
        painter->drawRect(rect.adjusted(0.5, 0.5, -0.5, -0.5));
        painter->setPen(Qt::darkGray);
        painter->drawText(rect, Qt::AlignCenter | Qt::TextWordWrap, embeddedObjectLabel(format));
        painter->restore();
    }
};

// Draws pictures at their size, or smaller to fit the width of the text where it is narrower:
// only what is shown is scaled, the picture and its size in the file stay as they are. Each is
// decoded at the size it is shown, once.
class FittedPicturePainter final : public QObject, public QTextObjectInterface {
    Q_OBJECT
    Q_INTERFACES(QTextObjectInterface)
public:
    explicit FittedPicturePainter(QObject* parent) : QObject(parent) {}

    QSizeF intrinsicSize(QTextDocument* document, int, const QTextFormat& format) override {
        const QTextImageFormat picture = format.toImageFormat();
        const QSize natural = naturalSize(*document, picture.name());
        if (!natural.isValid() || natural.isEmpty())
            return QSizeF(16, 16); // a picture that cannot be drawn keeps a place
        QSizeF size = natural;
        if (picture.width() > 0 && picture.height() > 0)
            size = QSizeF(picture.width(), picture.height());
        else if (picture.width() > 0)
            size = QSizeF(picture.width(), picture.width() * natural.height() / natural.width());
        else if (picture.height() > 0)
            size = QSizeF(picture.height() * natural.width() / natural.height(), picture.height());
        if (const QPaintDevice* device = document->documentLayout()->paintDevice())
            size *= device->logicalDpiX() / 96.0;
        const qreal room = document->textWidth() - 2 * document->documentMargin();
        if (room > 0 && size.width() > room)
            size = QSizeF(room, size.height() * room / size.width());
        return size;
    }

    void drawObject(QPainter* painter, const QRectF& rect, QTextDocument* document, int,
                    const QTextFormat& format) override {
        const QString name = format.toImageFormat().name();
        // Never more pixels than the picture has: on paper, the picture itself.
        const QSize natural = naturalSize(*document, name);
        QSize shown = (rect.size() * painter->device()->devicePixelRatioF()).toSize();
        if (natural.isValid() && shown.width() > natural.width())
            shown = natural;
        const QString key = name + QLatin1Char('@') + QString::number(shown.width());
        QImage image = decoded_.value(key);
        if (image.isNull()) {
            image = decode(*document, name, shown);
            if (decoded_.size() > kKeptImages)
                decoded_.clear();
            decoded_.insert(key, image);
        }
        if (!image.isNull())
            painter->drawImage(rect, image);
    }

private:
    static constexpr qsizetype kKeptImages = 32;

    QSize naturalSize(const QTextDocument& document, const QString& name) {
        if (const auto known = sizes_.constFind(name); known != sizes_.cend())
            return *known;
        const QVariant resource = document.resource(QTextDocument::ImageResource, QUrl(name));
        QSize size;
        if (resource.userType() == QMetaType::QByteArray) {
            QBuffer buffer;
            buffer.setData(resource.toByteArray());
            buffer.open(QIODevice::ReadOnly);
            size = QImageReader(&buffer).size();
        } else if (resource.userType() == QMetaType::QImage) {
            size = resource.value<QImage>().size();
        } else if (resource.userType() == QMetaType::QPixmap) {
            size = resource.value<QPixmap>().size();
        }
        sizes_.insert(name, size);
        return size;
    }

    static QImage decode(const QTextDocument& document, const QString& name, QSize shown) {
        const QVariant resource = document.resource(QTextDocument::ImageResource, QUrl(name));
        if (resource.userType() == QMetaType::QImage)
            return resource.value<QImage>().scaled(shown, Qt::IgnoreAspectRatio,
                                                   Qt::SmoothTransformation);
        if (resource.userType() == QMetaType::QPixmap)
            return resource.value<QPixmap>().toImage().scaled(shown, Qt::IgnoreAspectRatio,
                                                              Qt::SmoothTransformation);
        QBuffer buffer;
        buffer.setData(resource.toByteArray());
        buffer.open(QIODevice::ReadOnly);
        QImageReader reader(&buffer);
        if (shown.isValid() && !shown.isEmpty())
            reader.setScaledSize(shown);
        return reader.read();
    }

    QHash<QString, QSize> sizes_;
    QHash<QString, QImage> decoded_;
};

} // namespace

QTextCharFormat embeddedObjectFormat(const EmbeddedObject& object) {
    QTextCharFormat format;
    format.setObjectType(kEmbeddedObjectType);
    format.setProperty(kRtf, object.group.rtf);
    format.setProperty(kHashKeyProperty, static_cast<int>(qHash(object.group.rtf)));
    if (object.group.unicodeSkip != 1)
        format.setProperty(kObjectUnicodeSkipProperty, object.group.unicodeSkip);
    if (!object.group.fonts.empty())
        format.setProperty(kObjectFontsProperty, fontsText(object.group.fonts));
    if (!object.group.colors.empty())
        format.setProperty(kObjectColorsProperty, colorsText(object.group.colors));
    format.setProperty(kWidth, object.size.width());
    format.setProperty(kHeight, object.size.height());
    if (!object.image.isNull())
        format.setProperty(kImage, object.image);
    format.setProperty(kLabel, object.label);
    return format;
}

bool isEmbeddedObject(const QTextFormat& format) {
    return format.objectType() == kEmbeddedObjectType;
}

bool isUnshownGroup(const QTextFormat& format) {
    return isEmbeddedObject(format) && embeddedObjectSize(format) == QSizeF(0, 0);
}

KeptGroup embeddedObjectGroup(const QTextFormat& format) {
    KeptGroup group;
    group.rtf = format.property(kRtf).toByteArray();
    if (format.hasProperty(kObjectUnicodeSkipProperty))
        group.unicodeSkip = format.intProperty(kObjectUnicodeSkipProperty);
    group.fonts = fontsFromText(format.stringProperty(kObjectFontsProperty));
    group.colors = colorsFromText(format.stringProperty(kObjectColorsProperty));
    return group;
}

QSizeF embeddedObjectSize(const QTextFormat& format) {
    return {format.doubleProperty(kWidth), format.doubleProperty(kHeight)};
}

QString embeddedObjectLabel(const QTextFormat& format) {
    return format.stringProperty(kLabel);
}

QTextCharFormat hiddenTextFormat(const QString& text, QTextCharFormat format) {
    format.setObjectType(kHiddenTextType);
    format.setProperty(kHiddenText, text);
    return format;
}

bool isHiddenText(const QTextFormat& format) {
    return format.objectType() == kHiddenTextType;
}

QString hiddenText(const QTextFormat& format) {
    return format.stringProperty(kHiddenText);
}

void showInlineObjects(QTextDocument& document) {
    QAbstractTextDocumentLayout* layout = document.documentLayout();
    if (layout->handlerForObject(kEmbeddedObjectType))
        return;
    auto* painter = new InlineObjectPainter(&document);
    layout->registerHandler(kEmbeddedObjectType, painter);
    layout->registerHandler(kHiddenTextType, painter);
    layout->registerHandler(QTextFormat::ImageObject, new FittedPicturePainter(&document));
}

} // namespace orbeta::rtf

#include "rtf_inline_objects.moc"
