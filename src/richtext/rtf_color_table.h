#pragma once

#include "richtext/rtf_keywords.h"

#include <QColor>

#include <vector>

namespace orbeta::rtf {

// The colour table (\colortbl) as it is read. Entry 0, and any entry without a colour word, is
// "automatic": the text's own colour.
class ColorTable {
public:
    void start() { colors_.clear(); }
    void word(Kw word, int value);   // \red, \green, \blue
    void text(QByteArrayView bytes); // each ';' ends an entry

    // The colour of an entry; invalid for an automatic entry or one the table does not hold.
    QColor color(int index) const;

private:
    // A table longer than this is damage, not colours.
    static constexpr std::size_t kMaxColors = 0x10000;

    std::vector<QColor> colors_;
    QColor current_ = QColor(0, 0, 0);
    bool touched_ = false;
};

} // namespace orbeta::rtf
