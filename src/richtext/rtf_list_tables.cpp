#include "richtext/rtf_list_tables.h"

#include "richtext/rtf_vocabulary.h"

#include <algorithm>

namespace orbeta::rtf {

void ListTables::word(Kw word, int value, bool overrides) {
    switch (word) {
    case Kw::list:
        levels_.clear();
        list_.reset();
        break;
    case Kw::listid:
        if (overrides)
            overrideList_ = value;
        else
            list_ = value;
        break;
    case Kw::listlevel:
        if (levels_.size() < kMaxLevels)
            levels_.push_back(0);
        break;
    case Kw::levelnfc:
    case Kw::levelnfcn:
        if (!levels_.empty())
            levels_.back() = value;
        break;
    case Kw::listoverride:
        overrideList_.reset();
        break;
    case Kw::ls:
        if (overrides && overrideList_)
            overrides_[value] = *overrideList_;
        break;
    default:
        break;
    }
    // The list's number comes after its levels in some files and before them in others.
    if (!overrides && list_)
        lists_[*list_] = levels_;
}

QTextListFormat::Style ListTables::styleOf(int override, int level) const {
    const auto found = overrides_.find(override);
    if (found == overrides_.end())
        return QTextListFormat::ListDisc;
    const auto list = lists_.find(found->second);
    if (list == lists_.end() || list->second.empty())
        return QTextListFormat::ListDisc;
    const auto& levels = list->second;
    const auto index = std::min(static_cast<std::size_t>(std::max(level, 0)), levels.size() - 1);
    return listStyleOfLevelFormat(levels[index]);
}

void OldStyleNumbering::word(Kw word) {
    switch (word) {
    case Kw::pnlvlbody:
    case Kw::pnlvl:
        // A numbered level: digits unless the group names another numbering.
        if (style_ == QTextListFormat::ListStyleUndefined || isBullet(style_))
            style_ = QTextListFormat::ListDecimal;
        break;
    case Kw::pnlvlcont:
        style_ = QTextListFormat::ListStyleUndefined; // a paragraph that continues an item
        break;
    default:
        if (const auto style = listStyleOfOldWord(word))
            style_ = *style;
        break;
    }
}

} // namespace orbeta::rtf
