#pragma once

#include "richtext/rtf_keywords.h"

#include <QTextListFormat>

#include <map>
#include <optional>
#include <vector>

namespace orbeta::rtf {

// The list table (\listtable) and the list override table (\listoverridetable) of office
// suites: which numbering a paragraph's \lsN\ilvlM stands for.
class ListTables {
public:
    // A word inside either table; `overrides` tells which table holds it.
    void word(Kw word, int value, bool overrides);

    // The numbering of level `level` of list override `override`; bullets when unknown.
    QTextListFormat::Style styleOf(int override, int level) const;

private:
    static constexpr std::size_t kMaxLevels = 9;

    std::map<int, std::vector<int>> lists_; // \listid to its levels' \levelnfc
    std::map<int, int> overrides_;          // \ls to \listid
    std::vector<int> levels_;               // of the list being read
    std::optional<int> list_;
    std::optional<int> overrideList_;
};

// The old-style paragraph numbering of the rich-edit control (\pn), read from one \pn group.
class OldStyleNumbering {
public:
    void start() { style_ = QTextListFormat::ListStyleUndefined; }
    void word(Kw word);
    // What the paragraph that holds the group is: a list item of this style, or no list item.
    QTextListFormat::Style style() const { return style_; }

private:
    QTextListFormat::Style style_ = QTextListFormat::ListStyleUndefined;
};

} // namespace orbeta::rtf
