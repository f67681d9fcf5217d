#include "richtext/rtf_color_table.h"

#include <algorithm>

namespace orbeta::rtf {

namespace {

constexpr int kMaxComponent = 255;

} // namespace

void ColorTable::word(Kw word, int value) {
    const int component = std::clamp(value, 0, kMaxComponent);
    switch (word) {
    case Kw::red:
        current_.setRed(component);
        break;
    case Kw::green:
        current_.setGreen(component);
        break;
    case Kw::blue:
        current_.setBlue(component);
        break;
    default:
        return;
    }
    touched_ = true;
}

void ColorTable::text(QByteArrayView bytes) {
    for (const char c : bytes) {
        if (c != ';')
            continue;
        if (colors_.size() < kMaxColors)
            colors_.push_back(touched_ ? current_ : QColor());
        current_ = QColor(0, 0, 0);
        touched_ = false;
    }
}

QColor ColorTable::color(int index) const {
    if (index <= 0 || static_cast<std::size_t>(index) >= colors_.size())
        return {};
    return colors_[static_cast<std::size_t>(index)];
}

} // namespace orbeta::rtf
