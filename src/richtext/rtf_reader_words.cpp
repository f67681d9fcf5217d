// The reader's handlers for control words, one for each kind the keyword table gives a word.
#include "richtext/rtf_reader_core.h"

#include <algorithm>

namespace orbeta::rtf {

namespace {

constexpr int kMaxHalfPoints = 3276; // 1638 points
constexpr int kMaxTwips = 31680;     // 22 inches
constexpr int kMaxUnicodeSkip = 16;
constexpr int kMaxListLevel = 8;
// \uN is a signed 16-bit number; some writers write the unsigned unit instead. Anything else is
// no character: the fallback that follows stands.
constexpr int kLowestUnicodeWord = -32768;
constexpr int kHighestUnicodeWord = 65535;
constexpr int kUnicodeWordWrap = 65536;

// Distances beyond what a page holds are damage, and are left out as office suites leave them.
bool isDistance(int value) {
    return value >= -kMaxTwips && value <= kMaxTwips;
}

int halfPointsOf(int value) {
    return value > 0 ? std::min(value, kMaxHalfPoints) : 0;
}

} // namespace

void Reader::controlWord(const Keyword& keyword, int parameter) {
    if (keyword.id == Kw::Unknown)
        return;
    if (keyword.kind == KeywordKind::Destination) {
        destinationWord(keyword.id);
        return;
    }
    if (documentWord(keyword.id, parameter))
        return;
    if (state_.destination == Destination::Text)
        textWord(keyword, parameter);
    else
        destinationContentWord(keyword.id, parameter);
}

// Words that hold wherever they stand: code pages, the default font, Unicode characters.
bool Reader::documentWord(Kw word, int value) {
    switch (word) {
    case Kw::uc:
        state_.unicodeSkip = std::clamp(value, 0, kMaxUnicodeSkip);
        return true;
    case Kw::u:
        unicodeWord(value);
        return true;
    case Kw::ansicpg:
        if (isCodePageNumber(value))
            codePages_.documentCodePage = CodePageDecoder(value).codePage();
        return true;
    case Kw::ansi:
        codePages_.documentCodePage = kWindowsLatin;
        return true;
    case Kw::mac:
        codePages_.documentCodePage = kMacRoman;
        return true;
    case Kw::pc:
        codePages_.documentCodePage = kDosUnitedStates;
        return true;
    case Kw::pca:
        codePages_.documentCodePage = kDosLatin;
        return true;
    case Kw::deff:
        codePages_.defaultFont = value;
        return true;
    default:
        return false;
    }
}

void Reader::unicodeWord(int value) {
    if (value < kLowestUnicodeWord || value > kHighestUnicodeWord)
        return;
    const auto unit = static_cast<char16_t>(value < 0 ? value + kUnicodeWordWrap : value);
    if (state_.destination == Destination::Text ||
        state_.destination == Destination::FieldInstruction)
        appendText(QStringView(&unit, 1));
    else if (state_.destination == Destination::FontTable)
        fonts_.character(unit);
    pendingSkip_ = state_.unicodeSkip;
}

// A word inside a destination that builds something of its own.
void Reader::destinationContentWord(Kw word, int value) {
    switch (state_.destination) {
    case Destination::FieldInstruction:
        if (word == Kw::tab)
            appendText(u" ");
        break;
    case Destination::FontTable:
        fonts_.word(word, value);
        break;
    case Destination::ColorTable:
        colors_.word(word, value);
        break;
    case Destination::Picture:
        picture_.word(word, value);
        break;
    case Destination::OldList:
        oldList_.word(word);
        break;
    case Destination::ListTable:
    case Destination::ListOverrideTable:
        lists_.word(word, value, state_.destination == Destination::ListOverrideTable);
        break;
    default:
        break;
    }
}

void Reader::textWord(const Keyword& keyword, int value) {
    switch (keyword.kind) {
    case KeywordKind::Toggle:
        toggleWord(keyword.id, value != 0);
        break;
    case KeywordKind::Flag:
        flagWord(keyword.id);
        break;
    case KeywordKind::Value:
        valueWord(keyword.id, value);
        break;
    case KeywordKind::Symbol:
        symbolWord(keyword.id);
        break;
    case KeywordKind::Destination:
        break;
    }
}

void Reader::toggleWord(Kw word, bool on) {
    CharState& chr = state_.chr;
    if (const auto style = underlineOf(word)) {
        chr.underline = on ? *style : QTextCharFormat::NoUnderline;
        return;
    }
    switch (word) {
    case Kw::b:
        chr.bold = on;
        break;
    case Kw::i:
        chr.italic = on;
        break;
    case Kw::strike:
    case Kw::striked:
        chr.strike = on;
        break;
    case Kw::caps:
        chr.caps = on;
        break;
    case Kw::scaps:
        chr.smallCaps = on;
        break;
    case Kw::v:
        chr.hidden = on;
        break;
    case Kw::ab:
        chr.associatedBold = on ? 1 : 0;
        break;
    case Kw::ai:
        chr.associatedItalic = on ? 1 : 0;
        break;
    default:
        break;
    }
}

void Reader::flagWord(Kw word) {
    CharState& chr = state_.chr;
    switch (word) {
    case Kw::plain: {
        const int link = chr.link;
        chr = CharState();
        chr.link = link;
        break;
    }
    case Kw::ulnone:
        chr.underline = QTextCharFormat::NoUnderline;
        break;
    case Kw::super:
        chr.verticalAlignment = QTextCharFormat::AlignSuperScript;
        break;
    case Kw::sub:
        chr.verticalAlignment = QTextCharFormat::AlignSubScript;
        break;
    case Kw::nosupersub:
        chr.verticalAlignment = QTextCharFormat::AlignNormal;
        break;
    case Kw::loch:
    case Kw::hich:
        chr.doubleByteText = false;
        break;
    case Kw::dbch:
        chr.doubleByteText = true;
        break;
    default:
        paragraphFlagWord(word);
        break;
    }
}

void Reader::paragraphFlagWord(Kw word) {
    ParaState& para = state_.para;
    if (const auto alignment = alignmentOf(word)) {
        para.alignment = *alignment;
        para.alignmentSet = true;
        return;
    }
    switch (word) {
    case Kw::pard:
        flushRun();
        para = ParaState();
        break;
    case Kw::par:
    case Kw::page:
    case Kw::sect:
    case Kw::nestcell: {
        flushRun();
        ParaState ended = para;
        ended.markHidden = state_.chr.hidden; // {\v\par}: the paragraph runs on into the next
        sink_->endParagraph(ended);
        break;
    }
    default:
        tableFlagWord(word);
        break;
    }
}

void Reader::tableFlagWord(Kw word) {
    switch (word) {
    case Kw::intbl:
        flushRun();
        state_.para.inTable = true;
        break;
    case Kw::trowd:
        flushRun();
        rowDefinition_.cells.clear();
        break;
    case Kw::clmgf:
        nextCell_.mergeFirst = true;
        break;
    case Kw::clmrg:
        nextCell_.mergeNext = true;
        break;
    case Kw::clvmgf:
        nextCell_.verticalFirst = true;
        break;
    case Kw::clvmrg:
        nextCell_.verticalNext = true;
        break;
    case Kw::cell:
        flushRun();
        sink_->endCell(state_.para);
        break;
    case Kw::row:
        flushRun();
        sink_->endRow();
        break;
    default:
        break;
    }
}

void Reader::valueWord(Kw word, int value) {
    CharState& chr = state_.chr;
    switch (word) {
    case Kw::f:
        chr.font = value;
        break;
    case Kw::af:
        chr.associatedFont = value;
        break;
    case Kw::afs:
        chr.associatedHalfPoints = halfPointsOf(value);
        break;
    case Kw::fs:
        chr.halfPoints = halfPointsOf(value);
        break;
    case Kw::cf:
        chr.color = std::max(value, 0);
        break;
    case Kw::cb:
    case Kw::highlight:
    case Kw::chcbpat:
        chr.background = std::max(value, 0);
        break;
    case Kw::up:
        chr.raised = std::clamp(value, 0, kMaxHalfPoints);
        break;
    case Kw::dn:
        chr.raised = -std::clamp(value, 0, kMaxHalfPoints);
        break;
    case Kw::cellx:
        if (rowDefinition_.cells.size() < static_cast<std::size_t>(RowDefinition::kMaxCells)) {
            rowDefinition_.cells.push_back(nextCell_);
            sink_->rowDefinition(rowDefinition_);
        }
        nextCell_ = {};
        break;
    default:
        paragraphValueWord(word, value);
        break;
    }
}

void Reader::paragraphValueWord(Kw word, int value) {
    ParaState& para = state_.para;
    switch (word) {
    case Kw::ls:
        para.listOverride = std::max(value, 1);
        para.list = lists_.styleOf(para.listOverride, para.listLevel);
        return;
    case Kw::ilvl:
        para.listLevel = std::clamp(value, 0, kMaxListLevel);
        if (para.listOverride > 0)
            para.list = lists_.styleOf(para.listOverride, para.listLevel);
        return;
    case Kw::slmult:
        para.lineSpacing.multiple = value != 0;
        return;
    default:
        break;
    }
    if (!isDistance(value))
        return;
    switch (word) {
    case Kw::li:
        para.leftIndent = value;
        para.indentSet = true;
        break;
    case Kw::ri:
        para.rightIndent = value;
        break;
    case Kw::fi:
        para.firstLineIndent = value;
        para.indentSet = true;
        break;
    case Kw::sb:
        para.spaceBefore = std::max(value, 0);
        break;
    case Kw::sa:
        para.spaceAfter = std::max(value, 0);
        break;
    case Kw::sl:
        para.lineSpacing.twips = value;
        break;
    default:
        break;
    }
}

void Reader::symbolWord(Kw word) {
    if (const auto character = characterOfWord(word))
        appendText(QStringView(&*character, 1));
}

void Reader::controlSymbol(char symbol) {
    if (state_.destination == Destination::FontTable) {
        if (symbol == '\\' || symbol == '{' || symbol == '}')
            fonts_.text(QByteArrayView(&symbol, 1));
        return;
    }
    if (state_.destination != Destination::Text &&
        state_.destination != Destination::FieldInstruction)
        return;
    const bool literal = symbol == '\\' || symbol == '{' || symbol == '}';
    // A double-byte character's second byte may stand as an escaped \, { or }.
    if (literal && text_.leadBytePending()) {
        text_.addBytes(QByteArrayView(&symbol, 1));
        return;
    }
    if (literal) {
        const char16_t character = static_cast<unsigned char>(symbol);
        appendText(QStringView(&character, 1));
    } else if (symbol == '\n') {
        flushRun();
        if (state_.destination == Destination::Text)
            sink_->endParagraph(state_.para);
    } else if (symbol == '\t') {
        appendText(u"\t");
    } else if (const auto character = characterOfSymbol(symbol)) {
        appendText(QStringView(&*character, 1));
    }
}

} // namespace orbeta::rtf
