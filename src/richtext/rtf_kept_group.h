#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QColor>
#include <QString>

#include <functional>
#include <map>

namespace orbeta::rtf {

class ColorTable;
class FontTable;

// A group of the file that is kept as it stands (a picture, an object, a footnote, a header),
// with what its words refer to outside it: the \uc count it was read under, and the fonts and
// colours that its \fN, \cfN and the like name in the file's tables. The writer puts the group
// into its own document with those references renumbered into its own tables.
struct KeptGroup {
    struct Font {
        QString family;
        int charset = 0;
        bool operator==(const Font&) const = default;
    };

    QByteArray rtf; // braces included; empty where nothing could be kept
    int unicodeSkip = 1;
    std::map<int, Font> fonts;    // by the number the group uses
    std::map<int, QColor> colors; // by the number the group uses; invalid: automatic

    bool operator==(const KeptGroup&) const = default;
};

// The group `rtf`, read under \uc`unicodeSkip`, with the fonts and colours it names looked up in
// the tables. A number the tables do not hold is left out: the writer makes it the default font,
// or the automatic colour.
KeptGroup keptGroupOf(QByteArrayView rtf, int unicodeSkip, const FontTable& fonts,
                      const ColorTable& colors);

// The group with every font and colour number replaced by what `font` and `color` make of it.
QByteArray renumberedGroup(QByteArrayView rtf, const std::function<int(int)>& font,
                           const std::function<int(int)>& color);

// The references as text and back, for keeping them with the document.
QString fontsText(const std::map<int, KeptGroup::Font>& fonts);
std::map<int, KeptGroup::Font> fontsFromText(const QString& text);
QString colorsText(const std::map<int, QColor>& colors);
std::map<int, QColor> colorsFromText(const QString& text);

} // namespace orbeta::rtf
