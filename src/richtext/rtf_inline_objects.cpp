#include "richtext/rtf_inline_objects.h"

#include "richtext/rtf_format_properties.h"

#include <QAbstractTextDocumentLayout>
#include <QPainter>
#include <QTextDocument>

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
}

} // namespace orbeta::rtf

#include "rtf_inline_objects.moc"
