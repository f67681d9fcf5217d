#include "richtext/rtf_reader.h"

#include "richtext/code_pages.h"
#include "richtext/rtf_document_builder.h"
#include "richtext/rtf_fields.h"
#include "richtext/rtf_keywords.h"
#include "richtext/rtf_pictures.h"
#include "richtext/rtf_state.h"
#include "richtext/rtf_tokenizer.h"

#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace orbeta::rtf {

namespace {

// Deeper groups than this share the state of the deepest one, so hostile nesting costs no memory.
constexpr int kMaxDepth = 512;
constexpr int kMaxHalfPoints = 3276; // 1638 points
constexpr int kMaxTwips = 31680;     // 22 inches
constexpr int kMaxUnicodeSkip = 16;

enum class Destination : std::uint8_t {
    Text,
    Skip,
    UnicodePair, // \upr: skip, except its \ud part
    Object,      // \object: skip, except the \result that stands in for it
    FontTable,
    ColorTable,
    FieldInstruction,
    Picture,
    OldList, // \pn
    ListTable,
    ListOverrideTable,
};

struct State {
    Destination destination = Destination::Text;
    Destination outsidePair = Destination::Text; // where \ud text goes inside \upr
    CharState chr;
    ParaState para;
    int unicodeSkip = 1; // \uc
};

struct Font {
    int number = 0;
    int codePage = 0; // 0: the document's
    QByteArray nameBytes;
    QString name;
};

struct ListLevel {
    int numberFormat = 0; // \levelnfc
};

class Reader {
public:
    Reader(QByteArrayView input, QTextCursor& cursor, bool documentMode)
        : tokens_(input), cursor_(cursor), builder_(cursor), documentMode_(documentMode) {}

    ReadResult run();

private:
    void handle(const Token& token);
    void pushGroup();
    void popGroup();
    void controlWord(const Token& token);
    void textWord(const Keyword& keyword, const Token& token);
    void controlSymbol(char symbol);
    void destinationWord(const Keyword& keyword);
    void problem(const Token& token, const char* what);

    // text
    void appendBytes(QByteArrayView bytes);
    void appendText(QStringView text);
    void decodePendingBytes();
    void flushRun();
    int codePageOf(const CharState& chr) const;
    QTextCharFormat charFormat(const CharState& chr) const;
    bool skipsUnicodeFallback(const Token& token);

    // destinations
    void fontTableWord(const Keyword& keyword, const Token& token);
    void fontTableText(QByteArrayView bytes);
    void decodeFontNameBytes();
    void finishFont();
    void fontTableDone();
    void colorTableWord(const Keyword& keyword, const Token& token);
    void colorTableText(QByteArrayView bytes);
    void pictureWord(const Keyword& keyword, const Token& token);
    void finishPicture();
    void oldListWord(const Keyword& keyword, const Token& token);
    void listTableWord(const Keyword& keyword, const Token& token);
    ListKind listKindOf(int override, int level) const;

    Tokenizer tokens_;
    QTextCursor& cursor_;
    DocumentBuilder builder_;
    const bool documentMode_;
    ReadResult result_;

    std::vector<State> stack_;
    State state_;
    int overflowDepth_ = 0;
    bool starPending_ = false;
    bool groupJustOpened_ = false;
    bool finished_ = false;
    int pendingSkip_ = 0;

    int documentCodePage_ = 1252;
    CodePageDecoders decoders_;
    std::string pendingBytes_; // grows one byte at a time
    CharState pendingBytesFormat_;
    CodePageDecoder* pendingDecoder_ = nullptr;
    bool leadBytePending_ = false;
    bool onlyBytesSince_ = false; // no token but text and \'hh since the pending bytes began
    QString runText_;
    CharState runFormat_;
    ParaState runPara_;

    int defaultFont_ = -1;
    bool fontTableSeen_ = false;
    std::map<int, Font> fonts_;
    Font* currentFont_ = nullptr;
    std::vector<QColor> colors_;
    QColor currentColor_;
    bool colorTouched_ = false;

    QStringList links_;
    struct Field {
        std::size_t depth;
        QString instruction;
        QString target;
    };
    std::vector<Field> fields_;

    PictureData picture_;
    RowDefinition rowDefinition_;
    RowDefinition::Cell nextCell_;

    ListKind oldListKind_ = ListKind::None;
    bool oldListBody_ = false;
    std::map<int, std::vector<ListLevel>> lists_; // \listid to its levels
    std::map<int, int> overrides_;                // \ls to \listid
    std::vector<ListLevel> listLevels_;
    std::optional<int> currentList_;
    std::optional<int> overrideList_;
};

bool skipsLikeBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

} // namespace

bool looksLikeRtf(QByteArrayView bytes) {
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes = bytes.sliced(3);
    qsizetype start = 0;
    while (start < bytes.size() && skipsLikeBlank(bytes[start]))
        ++start;
    bytes = bytes.sliced(start);
    return bytes.startsWith("{\\rtf") || bytes.startsWith("{\\urtf");
}

ReadResult readRtf(QByteArrayView rtf, QTextDocument& document) {
    if (!looksLikeRtf(rtf))
        return {ReadStatus::NotRtf, 0, 1, 1, QStringLiteral("not an RTF document")};
    const bool undo = document.isUndoRedoEnabled();
    document.setUndoRedoEnabled(false); // loading is not a step to undo
    document.clear();
    QTextCursor cursor(&document);
    cursor.beginEditBlock();
    const ReadResult result = Reader(rtf, cursor, true).run();
    cursor.endEditBlock();
    document.setUndoRedoEnabled(undo);
    document.setModified(false);
    return result;
}

ReadResult insertRtf(QByteArrayView rtf, QTextCursor& cursor) {
    if (!looksLikeRtf(rtf))
        return {ReadStatus::NotRtf, 0, 1, 1, QStringLiteral("not an RTF document")};
    cursor.beginEditBlock();
    cursor.removeSelectedText();
    const ReadResult result = Reader(rtf, cursor, false).run();
    cursor.endEditBlock();
    return result;
}

ReadResult Reader::run() {
    for (;;) {
        const Token token = tokens_.next();
        if (token.type == TokenType::End)
            break;
        if (token.status != TokenStatus::Ok)
            problem(token, token.status == TokenStatus::BadHex           ? "bad \\' escape"
                           : token.status == TokenStatus::KeywordTooLong ? "control word too long"
                           : token.status == TokenStatus::NumberTooLong  ? "number out of range"
                                                                         : "\\bin data cut short");
        handle(token);
        if (finished_)
            break;
    }
    Token end;
    end.offset = tokens_.offset();
    if (!finished_)
        problem(end, "document ends inside a group");
    else if (!tokens_.restIsBlank())
        problem(end, "text after the end of the document");
    flushRun();
    builder_.finish(state_.para, documentMode_);
    if (!fontTableSeen_)
        fontTableDone();
    return result_;
}

void Reader::problem(const Token& token, const char* what) {
    if (result_.status != ReadStatus::Ok)
        return;
    result_.status = ReadStatus::Damaged;
    result_.offset = token.offset;
    std::tie(result_.line, result_.column) = tokens_.lineAndColumn(token.offset);
    result_.problem = QString::fromLatin1(what);
}

void Reader::handle(const Token& token) {
    if (token.type != TokenType::Text && token.type != TokenType::HexByte)
        onlyBytesSince_ = false;
    const bool opened = groupJustOpened_;
    groupJustOpened_ = false;
    if (token.type == TokenType::GroupStart) {
        pendingSkip_ = 0;
        pushGroup();
        return;
    }
    if (token.type == TokenType::GroupEnd) {
        pendingSkip_ = 0;
        popGroup();
        return;
    }
    if (state_.destination == Destination::Skip || stack_.empty())
        return; // nothing outside the document's own group is read
    if (pendingSkip_ > 0 && skipsUnicodeFallback(token))
        return;

    if (state_.destination == Destination::UnicodePair) {
        if (token.type == TokenType::ControlWord && token.word == "ud")
            state_.destination = state_.outsidePair;
        return;
    }
    if (state_.destination == Destination::Object) {
        if (token.type == TokenType::ControlWord && token.word == "result")
            state_.destination = Destination::Text;
        else if (token.type == TokenType::ControlWord && opened)
            state_.destination = Destination::Skip; // \objdata, \objclass and the like
        return;
    }

    switch (token.type) {
    case TokenType::ControlWord:
        if (starPending_ && opened) {
            starPending_ = false;
            const Keyword keyword = lookupKeyword(token.word);
            if (keyword.kind != KeywordKind::Destination) {
                state_.destination = Destination::Skip; // an optional destination we do not know
                return;
            }
        }
        starPending_ = false;
        controlWord(token);
        break;
    case TokenType::ControlSymbol:
        if (token.symbol == '*') {
            starPending_ = true;
            groupJustOpened_ = opened;
            return;
        }
        controlSymbol(token.symbol);
        break;
    case TokenType::HexByte: {
        const char byte = static_cast<char>(token.byte);
        if (state_.destination == Destination::Text ||
            state_.destination == Destination::FieldInstruction)
            appendBytes(QByteArrayView(&byte, 1));
        else if (state_.destination == Destination::FontTable)
            fontTableText(QByteArrayView(&byte, 1));
        break;
    }
    case TokenType::Text:
        switch (state_.destination) {
        case Destination::Text:
        case Destination::FieldInstruction:
            appendBytes(token.bytes);
            break;
        case Destination::FontTable:
            fontTableText(token.bytes);
            break;
        case Destination::ColorTable:
            colorTableText(token.bytes);
            break;
        case Destination::Picture:
            picture_.addHex(token.bytes);
            break;
        default:
            break;
        }
        break;
    case TokenType::Binary:
        if (state_.destination == Destination::Picture)
            picture_.addBinary(token.bytes);
        break;
    case TokenType::GroupStart:
    case TokenType::GroupEnd:
    case TokenType::End:
        break;
    }
}

bool Reader::skipsUnicodeFallback(const Token& token) {
    if (token.type == TokenType::Text) {
        // Part of a run may be fallback; the rest is text.
        const qsizetype skipped = std::min<qsizetype>(pendingSkip_, token.bytes.size());
        pendingSkip_ -= static_cast<int>(skipped);
        if (skipped < token.bytes.size()) {
            Token rest = token;
            rest.bytes = token.bytes.sliced(skipped);
            handle(rest);
        }
        return true;
    }
    --pendingSkip_;
    return true;
}

void Reader::pushGroup() {
    if (!stack_.empty() || state_.destination != Destination::Text || finished_)
        flushRun();
    if (stack_.size() >= static_cast<std::size_t>(kMaxDepth)) {
        ++overflowDepth_;
        groupJustOpened_ = true;
        return;
    }
    stack_.push_back(state_);
    groupJustOpened_ = true;
    starPending_ = false;
}

void Reader::popGroup() {
    starPending_ = false;
    if (overflowDepth_ > 0) {
        --overflowDepth_;
        return;
    }
    if (stack_.empty()) {
        Token here;
        here.offset = tokens_.offset() - 1;
        problem(here, "unbalanced closing brace");
        return;
    }
    flushRun();
    const State ended = state_;
    state_ = stack_.back();
    stack_.pop_back();

    if (ended.destination == Destination::FontTable) {
        finishFont();
        if (state_.destination != Destination::FontTable) {
            fontTableDone();
            fontTableSeen_ = true;
        }
    }
    if (ended.destination == Destination::OldList && state_.destination != Destination::OldList) {
        state_.para.list = oldListKind_;
        state_.para.listOverride = 0;
    }
    if (ended.destination == Destination::Picture && state_.destination != Destination::Picture)
        finishPicture();
    if (ended.destination == Destination::FieldInstruction &&
        state_.destination != Destination::FieldInstruction && !fields_.empty())
        fields_.back().target = hyperlinkTarget(fields_.back().instruction.trimmed());
    while (!fields_.empty() && fields_.back().depth > stack_.size())
        fields_.pop_back();
    if (stack_.empty())
        finished_ = true; // the document's own group is closed; anything after it is not RTF
}

void Reader::controlSymbol(char symbol) {
    if (state_.destination == Destination::FontTable) {
        if (symbol == '\\' || symbol == '{' || symbol == '}')
            fontTableText(QByteArrayView(&symbol, 1));
        return;
    }
    if (state_.destination != Destination::Text &&
        state_.destination != Destination::FieldInstruction)
        return;
    // A double-byte character's second byte may stand as an escaped \, { or }.
    if (leadBytePending_ && (symbol == '\\' || symbol == '{' || symbol == '}')) {
        appendBytes(QByteArrayView(&symbol, 1));
        return;
    }
    switch (symbol) {
    case '\\':
    case '{':
    case '}':
        appendText(QStringView(QString(QLatin1Char(symbol))));
        break;
    case '~':
        appendText(u"\u00A0");
        break;
    case '-':
        appendText(u"\u00AD");
        break;
    case '_':
        appendText(u"\u2011");
        break;
    case '\n':
        flushRun();
        if (state_.destination == Destination::Text)
            builder_.endParagraph(state_.para);
        break;
    case '\t':
        appendText(u"\t");
        break;
    default:
        break;
    }
}

void Reader::controlWord(const Token& token) {
    const Keyword keyword = lookupKeyword(token.word);
    if (keyword.id == Kw::Unknown)
        return;
    if (keyword.kind == KeywordKind::Destination) {
        destinationWord(keyword);
        return;
    }
    const std::int32_t value = token.parameter;
    switch (keyword.id) {
    case Kw::uc:
        state_.unicodeSkip = std::clamp(token.hasParameter ? value : 1, 0, kMaxUnicodeSkip);
        return;
    case Kw::u: {
        if (state_.destination == Destination::Text ||
            state_.destination == Destination::FieldInstruction) {
            const auto unit = static_cast<char16_t>(value < 0 ? value + 65536 : value);
            appendText(QStringView(&unit, 1));
        } else if (state_.destination == Destination::FontTable && currentFont_) {
            decodeFontNameBytes();
            currentFont_->name += QChar(static_cast<char16_t>(value < 0 ? value + 65536 : value));
        }
        pendingSkip_ = state_.unicodeSkip;
        return;
    }
    case Kw::ansicpg:
        if (value > 0 && value < 70000)
            documentCodePage_ = CodePageDecoder(value).codePage();
        return;
    case Kw::mac:
        documentCodePage_ = 10000;
        return;
    case Kw::pc:
        documentCodePage_ = 437;
        return;
    case Kw::pca:
        documentCodePage_ = 850;
        return;
    case Kw::ansi:
        documentCodePage_ = 1252;
        return;
    case Kw::deff:
        defaultFont_ = value;
        return;
    default:
        break;
    }
    switch (state_.destination) {
    case Destination::Text:
        textWord(keyword, token);
        break;
    case Destination::FieldInstruction:
        if (keyword.id == Kw::tab)
            appendText(u" ");
        break;
    case Destination::FontTable:
        fontTableWord(keyword, token);
        break;
    case Destination::ColorTable:
        colorTableWord(keyword, token);
        break;
    case Destination::Picture:
        pictureWord(keyword, token);
        break;
    case Destination::OldList:
        oldListWord(keyword, token);
        break;
    case Destination::ListTable:
    case Destination::ListOverrideTable:
        listTableWord(keyword, token);
        break;
    default:
        break;
    }
}

void Reader::destinationWord(const Keyword& keyword) {
    switch (keyword.id) {
    case Kw::fonttbl:
        state_.destination = Destination::FontTable;
        break;
    case Kw::colortbl:
        state_.destination = Destination::ColorTable;
        colors_.clear();
        break;
    case Kw::field:
        if (state_.destination == Destination::Text)
            fields_.push_back({stack_.size(), {}, {}});
        break;
    case Kw::fldinst:
        if (state_.destination == Destination::Text && !fields_.empty())
            state_.destination = Destination::FieldInstruction;
        else
            state_.destination = Destination::Skip;
        break;
    case Kw::fldrslt:
        if (state_.destination == Destination::Text && !fields_.empty() &&
            !fields_.back().target.isEmpty()) {
            links_.append(fields_.back().target);
            state_.chr.link = static_cast<int>(links_.size() - 1);
        }
        break;
    case Kw::shppict:
    case Kw::result:
        break; // read like the text around them
    case Kw::object:
        state_.destination =
            state_.destination == Destination::Text ? Destination::Object : Destination::Skip;
        break;
    case Kw::pict:
        if (state_.destination == Destination::Text) {
            state_.destination = Destination::Picture;
            picture_ = PictureData();
        } else {
            state_.destination = Destination::Skip;
        }
        break;
    case Kw::pn:
        if (state_.destination == Destination::Text) {
            state_.destination = Destination::OldList;
            oldListKind_ = ListKind::None;
            oldListBody_ = false;
        } else {
            state_.destination = Destination::Skip;
        }
        break;
    case Kw::listtable:
        state_.destination = Destination::ListTable;
        break;
    case Kw::listoverridetable:
        state_.destination = Destination::ListOverrideTable;
        break;
    case Kw::list:
    case Kw::listlevel:
    case Kw::listoverride:
        if (state_.destination == Destination::ListTable ||
            state_.destination == Destination::ListOverrideTable)
            listTableWord(keyword, Token());
        else
            state_.destination = Destination::Skip;
        break;
    case Kw::upr:
        state_.outsidePair = state_.destination;
        state_.destination = Destination::UnicodePair;
        break;
    case Kw::ud:
        break;
    default:
        state_.destination = Destination::Skip;
        break;
    }
}

void Reader::textWord(const Keyword& keyword, const Token& token) {
    const bool on = !token.hasParameter || token.parameter != 0;
    const std::int32_t value = token.parameter;
    CharState& chr = state_.chr;
    ParaState& para = state_.para;
    const auto twipsValue = [&] {
        return std::clamp(value, -kMaxTwips, kMaxTwips);
    };
    const auto underline = [&](QTextCharFormat::UnderlineStyle style) {
        chr.underline = on ? style : QTextCharFormat::NoUnderline;
    };
    switch (keyword.id) {
    // characters
    case Kw::plain: {
        const int link = chr.link;
        chr = CharState();
        chr.link = link;
        break;
    }
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
    case Kw::ul:
    case Kw::ulw:
    case Kw::uldb:
    case Kw::ulth:
        underline(QTextCharFormat::SingleUnderline);
        break;
    case Kw::uld:
        underline(QTextCharFormat::DotLine);
        break;
    case Kw::uldash:
    case Kw::ulldash:
        underline(QTextCharFormat::DashUnderline);
        break;
    case Kw::uldashd:
        underline(QTextCharFormat::DashDotLine);
        break;
    case Kw::uldashdd:
        underline(QTextCharFormat::DashDotDotLine);
        break;
    case Kw::ulwave:
    case Kw::ulhwave:
    case Kw::ululdbwave:
        underline(QTextCharFormat::WaveUnderline);
        break;
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
    case Kw::f:
        chr.font = token.hasParameter ? value : -1;
        break;
    case Kw::loch:
    case Kw::hich:
        chr.doubleByteText = false;
        break;
    case Kw::dbch:
        chr.doubleByteText = true;
        break;
    case Kw::ab:
        chr.associatedBold = on ? 1 : 0;
        break;
    case Kw::ai:
        chr.associatedItalic = on ? 1 : 0;
        break;
    case Kw::af:
        chr.associatedFont = token.hasParameter ? value : -1;
        break;
    case Kw::afs:
        chr.associatedHalfPoints = value > 0 ? std::min(value, kMaxHalfPoints) : 0;
        break;
    case Kw::fs:
        chr.halfPoints = value > 0 ? std::min(value, kMaxHalfPoints) : 0;
        break;
    case Kw::cf:
        chr.color = std::max(value, 0);
        break;
    case Kw::cb:
    case Kw::highlight:
    case Kw::chcbpat:
        chr.background = std::max(value, 0);
        break;
    // characters that stand for text
    case Kw::tab:
        appendText(u"\t");
        break;
    case Kw::line:
        appendText(u"\u2028");
        break;
    case Kw::emdash:
        appendText(u"\u2014");
        break;
    case Kw::endash:
        appendText(u"\u2013");
        break;
    case Kw::bullet:
        appendText(u"\u2022");
        break;
    case Kw::lquote:
        appendText(u"\u2018");
        break;
    case Kw::rquote:
        appendText(u"\u2019");
        break;
    case Kw::ldblquote:
        appendText(u"\u201C");
        break;
    case Kw::rdblquote:
        appendText(u"\u201D");
        break;
    case Kw::emspace:
        appendText(u"\u2003");
        break;
    case Kw::enspace:
        appendText(u"\u2002");
        break;
    case Kw::qmspace:
        appendText(u"\u2005");
        break;
    case Kw::zwj:
        appendText(u"\u200D");
        break;
    case Kw::zwnj:
        appendText(u"\u200C");
        break;
    case Kw::ltrmark:
        appendText(u"\u200E");
        break;
    case Kw::rtlmark:
        appendText(u"\u200F");
        break;
    // paragraphs
    case Kw::pard:
        flushRun();
        para = ParaState();
        break;
    case Kw::par:
    case Kw::page:
    case Kw::sect:
    case Kw::nestcell:
        flushRun();
        builder_.endParagraph(para);
        break;
    case Kw::ql:
        para.alignment = Qt::AlignLeft;
        para.alignmentSet = true;
        break;
    case Kw::qc:
        para.alignment = Qt::AlignHCenter;
        para.alignmentSet = true;
        break;
    case Kw::qr:
        para.alignment = Qt::AlignRight;
        para.alignmentSet = true;
        break;
    case Kw::qj:
    case Kw::qd:
        para.alignment = Qt::AlignJustify;
        para.alignmentSet = true;
        break;
    case Kw::li:
        para.leftIndent = twipsValue();
        break;
    case Kw::ri:
        para.rightIndent = twipsValue();
        break;
    case Kw::fi:
        para.firstLineIndent = twipsValue();
        break;
    case Kw::sb:
        para.spaceBefore = std::max(twipsValue(), 0);
        break;
    case Kw::sa:
        para.spaceAfter = std::max(twipsValue(), 0);
        break;
    case Kw::sl:
        para.lineSpacing = token.hasParameter ? twipsValue() : 0;
        break;
    case Kw::slmult:
        para.lineMultiple = on;
        break;
    case Kw::ls:
        para.listOverride = std::max(value, 1);
        para.list = listKindOf(para.listOverride, para.listLevel);
        break;
    case Kw::ilvl:
        para.listLevel = std::clamp(value, 0, 8);
        if (para.listOverride > 0)
            para.list = listKindOf(para.listOverride, para.listLevel);
        break;
    // tables
    case Kw::intbl:
        flushRun();
        para.inTable = true;
        break;
    case Kw::trowd:
        flushRun();
        rowDefinition_.cells.clear();
        break;
    case Kw::cellx:
        if (rowDefinition_.cells.size() < static_cast<std::size_t>(DocumentBuilder::kMaxColumns)) {
            rowDefinition_.cells.push_back(nextCell_);
            builder_.setRowDefinition(rowDefinition_);
        }
        nextCell_ = {};
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
        builder_.endCell(para);
        break;
    case Kw::row:
        flushRun();
        builder_.endRow();
        break;
    default:
        break;
    }
}

void Reader::appendBytes(QByteArrayView bytes) {
    if (bytes.isEmpty())
        return;
    // Only a control word or a group can have changed the format since the last bytes.
    if (!pendingBytes_.empty() && !onlyBytesSince_ && !(pendingBytesFormat_ == state_.chr))
        decodePendingBytes();
    if (pendingBytes_.empty()) {
        pendingBytesFormat_ = state_.chr;
        pendingDecoder_ = &decoders_.get(codePageOf(pendingBytesFormat_));
        leadBytePending_ = false;
    }
    onlyBytesSince_ = true;
    pendingBytes_.append(bytes.data(), static_cast<std::size_t>(bytes.size()));
    if (!pendingDecoder_->isDoubleByte())
        return;
    for (const char c : bytes)
        leadBytePending_ =
            !leadBytePending_ && pendingDecoder_->isLeadByte(static_cast<std::uint8_t>(c));
}

void Reader::decodePendingBytes() {
    if (pendingBytes_.empty())
        return;
    QString decoded;
    pendingDecoder_->decode(
        QByteArrayView(pendingBytes_.data(), static_cast<qsizetype>(pendingBytes_.size())),
        decoded);
    pendingBytes_.clear();
    leadBytePending_ = false;
    if (!runText_.isEmpty() && !(runFormat_ == pendingBytesFormat_))
        flushRun();
    if (runText_.isEmpty()) {
        runFormat_ = pendingBytesFormat_;
        runPara_ = state_.para;
    }
    runText_ += decoded;
}

void Reader::appendText(QStringView text) {
    decodePendingBytes();
    if (!runText_.isEmpty() && !(runFormat_ == state_.chr))
        flushRun();
    if (runText_.isEmpty()) {
        runFormat_ = state_.chr;
        runPara_ = state_.para;
    }
    runText_ += text;
}

void Reader::flushRun() {
    decodePendingBytes();
    if (runText_.isEmpty())
        return;
    if (state_.destination == Destination::FieldInstruction) {
        if (!fields_.empty())
            fields_.back().instruction += runText_;
        runText_.clear();
        return;
    }
    // Control characters other than tab do not belong in text, nor do halves of surrogate pairs.
    runText_.removeIf([](QChar c) { return c.unicode() < 0x20 && c != QLatin1Char('\t'); });
    for (qsizetype i = 0; i < runText_.size(); ++i) {
        const QChar c = runText_.at(i);
        if (c.isHighSurrogate() && i + 1 < runText_.size() && runText_.at(i + 1).isLowSurrogate())
            ++i;
        else if (c.isSurrogate())
            runText_[i] = QChar::ReplacementCharacter;
    }
    if (!runText_.isEmpty())
        builder_.insertText(runText_, charFormat(runFormat_), runPara_);
    runText_.clear();
}

// The properties that hold for the text: in double-byte text the associated ones come first.
CharState effective(const CharState& chr) {
    if (!chr.doubleByteText)
        return chr;
    CharState text = chr;
    if (chr.associatedBold >= 0)
        text.bold = chr.associatedBold != 0;
    if (chr.associatedItalic >= 0)
        text.italic = chr.associatedItalic != 0;
    if (chr.associatedFont >= 0)
        text.font = chr.associatedFont;
    if (chr.associatedHalfPoints > 0)
        text.halfPoints = chr.associatedHalfPoints;
    return text;
}

int Reader::codePageOf(const CharState& given) const {
    const CharState chr = effective(given);
    const int number = chr.font >= 0 ? chr.font : defaultFont_;
    const auto font = fonts_.find(number);
    if (font != fonts_.end() && font->second.codePage > 0)
        return font->second.codePage;
    return documentCodePage_;
}

QTextCharFormat Reader::charFormat(const CharState& given) const {
    const CharState chr = effective(given);
    QTextCharFormat format;
    if (chr.bold)
        format.setFontWeight(QFont::Bold);
    if (chr.italic)
        format.setFontItalic(true);
    if (chr.underline != QTextCharFormat::NoUnderline)
        format.setUnderlineStyle(chr.underline);
    if (chr.strike)
        format.setFontStrikeOut(true);
    if (chr.caps)
        format.setFontCapitalization(QFont::AllUppercase);
    else if (chr.smallCaps)
        format.setFontCapitalization(QFont::SmallCaps);
    if (chr.verticalAlignment != QTextCharFormat::AlignNormal)
        format.setVerticalAlignment(chr.verticalAlignment);
    const int fontNumber = chr.font >= 0 ? chr.font : (documentMode_ ? -1 : defaultFont_);
    if (const auto font = fonts_.find(fontNumber);
        font != fonts_.end() && !font->second.name.isEmpty())
        format.setFontFamilies(QStringList{font->second.name});
    if (chr.halfPoints > 0)
        format.setFontPointSize(chr.halfPoints / 2.0);
    else if (!documentMode_)
        format.setFontPointSize(12);
    if (chr.color > 0 && static_cast<std::size_t>(chr.color) < colors_.size() &&
        colors_[static_cast<std::size_t>(chr.color)].isValid())
        format.setForeground(colors_[static_cast<std::size_t>(chr.color)]);
    if (chr.background > 0 && static_cast<std::size_t>(chr.background) < colors_.size() &&
        colors_[static_cast<std::size_t>(chr.background)].isValid())
        format.setBackground(colors_[static_cast<std::size_t>(chr.background)]);
    if (chr.link >= 0 && chr.link < links_.size()) {
        format.setAnchor(true);
        format.setAnchorHref(links_.at(chr.link));
    }
    return format;
}

void Reader::fontTableWord(const Keyword& keyword, const Token& token) {
    switch (keyword.id) {
    case Kw::f:
        finishFont();
        currentFont_ = &fonts_[token.parameter];
        *currentFont_ = Font{token.parameter, 0, {}, {}};
        break;
    case Kw::fcharset:
        if (currentFont_ && token.parameter != 1) // 1: the system's default set
            currentFont_->codePage = codePageOfCharset(token.parameter);
        break;
    case Kw::cpg:
        if (currentFont_ && token.parameter > 0 && token.parameter < 70000)
            currentFont_->codePage = CodePageDecoder(token.parameter).codePage();
        break;
    default:
        break;
    }
}

void Reader::fontTableText(QByteArrayView bytes) {
    if (!currentFont_)
        return;
    for (const char c : bytes) {
        if (c == ';') {
            finishFont();
            return;
        }
        currentFont_->nameBytes.append(c);
    }
}

void Reader::decodeFontNameBytes() {
    const int codePage = currentFont_->codePage > 0 ? currentFont_->codePage : documentCodePage_;
    decoders_.get(codePage).decode(currentFont_->nameBytes, currentFont_->name);
    currentFont_->nameBytes.clear();
}

void Reader::finishFont() {
    if (!currentFont_)
        return;
    decodeFontNameBytes();
    currentFont_->name = currentFont_->name.trimmed();
    currentFont_ = nullptr;
}

void Reader::fontTableDone() {
    if (!documentMode_)
        return;
    const auto font = fonts_.find(defaultFont_);
    QFont defaultFont = cursor_.document()->defaultFont();
    if (font != fonts_.end() && !font->second.name.isEmpty())
        defaultFont.setFamilies({font->second.name});
    defaultFont.setPointSizeF(12); // RTF text without a size of its own is 12 points
    cursor_.document()->setDefaultFont(defaultFont);
}

void Reader::colorTableWord(const Keyword& keyword, const Token& token) {
    const int value = std::clamp(token.parameter, 0, 255);
    switch (keyword.id) {
    case Kw::red:
        currentColor_.setRed(value);
        break;
    case Kw::green:
        currentColor_.setGreen(value);
        break;
    case Kw::blue:
        currentColor_.setBlue(value);
        break;
    default:
        return;
    }
    colorTouched_ = true;
}

void Reader::colorTableText(QByteArrayView bytes) {
    for (const char c : bytes) {
        if (c != ';')
            continue;
        if (colors_.size() < 0x10000)
            colors_.push_back(colorTouched_ ? currentColor_ : QColor());
        currentColor_ = QColor(0, 0, 0);
        colorTouched_ = false;
    }
}

void Reader::pictureWord(const Keyword& keyword, const Token& token) {
    const int value = std::clamp(token.parameter, 0, 1 << 24);
    switch (keyword.id) {
    case Kw::pngblip:
        picture_.kind = PictureKind::Png;
        break;
    case Kw::jpegblip:
        picture_.kind = PictureKind::Jpeg;
        break;
    case Kw::picw:
        picture_.pixelWidth = value;
        break;
    case Kw::pich:
        picture_.pixelHeight = value;
        break;
    case Kw::picwgoal:
        picture_.goalWidth = std::min(value, kMaxTwips * 4);
        break;
    case Kw::pichgoal:
        picture_.goalHeight = std::min(value, kMaxTwips * 4);
        break;
    case Kw::picscalex:
        picture_.scaleX = value;
        break;
    case Kw::picscaley:
        picture_.scaleY = value;
        break;
    default:
        break;
    }
}

void Reader::finishPicture() {
    const std::optional<QTextImageFormat> format = placePicture(picture_, *cursor_.document());
    picture_ = PictureData();
    if (format)
        builder_.insertImage(*format, state_.para);
}

void Reader::oldListWord(const Keyword& keyword, const Token& token) {
    switch (keyword.id) {
    case Kw::pnlvlblt:
        oldListKind_ = ListKind::Bullet;
        break;
    case Kw::pnlvlbody:
    case Kw::pnlvl:
        oldListBody_ = true;
        if (oldListKind_ == ListKind::None || oldListKind_ == ListKind::Bullet)
            oldListKind_ = ListKind::Decimal;
        break;
    case Kw::pnlvlcont:
        oldListKind_ = ListKind::None;
        break;
    case Kw::pndec:
    case Kw::pnord:
    case Kw::pnordt:
    case Kw::pncard:
        oldListKind_ = ListKind::Decimal;
        break;
    case Kw::pnucltr:
        oldListKind_ = ListKind::UpperAlpha;
        break;
    case Kw::pnlcltr:
        oldListKind_ = ListKind::LowerAlpha;
        break;
    case Kw::pnucrm:
        oldListKind_ = ListKind::UpperRoman;
        break;
    case Kw::pnlcrm:
        oldListKind_ = ListKind::LowerRoman;
        break;
    default:
        break;
    }
    (void)token;
}

void Reader::listTableWord(const Keyword& keyword, const Token& token) {
    switch (keyword.id) {
    case Kw::list:
        listLevels_.clear();
        currentList_.reset();
        break;
    case Kw::listid:
        if (state_.destination == Destination::ListTable)
            currentList_ = token.parameter;
        else
            overrideList_ = token.parameter;
        break;
    case Kw::listlevel:
        if (listLevels_.size() < 9)
            listLevels_.push_back({});
        break;
    case Kw::levelnfc:
    case Kw::levelnfcn:
        if (!listLevels_.empty())
            listLevels_.back().numberFormat = token.parameter;
        break;
    case Kw::listoverride:
        overrideList_.reset();
        break;
    case Kw::ls:
        if (state_.destination == Destination::ListOverrideTable && overrideList_)
            overrides_[token.parameter] = *overrideList_;
        break;
    default:
        break;
    }
    // The list's number comes after its levels in some files and before them in others.
    if (state_.destination == Destination::ListTable && currentList_)
        lists_[*currentList_] = listLevels_;
}

ListKind Reader::listKindOf(int override, int level) const {
    const auto found = overrides_.find(override);
    if (found == overrides_.end())
        return ListKind::Bullet;
    const auto list = lists_.find(found->second);
    if (list == lists_.end() || list->second.empty())
        return ListKind::Bullet;
    const auto& levels = list->second;
    const int format =
        levels[static_cast<std::size_t>(std::min<int>(level, static_cast<int>(levels.size()) - 1))]
            .numberFormat;
    switch (format) {
    case 1:
        return ListKind::UpperRoman;
    case 2:
        return ListKind::LowerRoman;
    case 3:
        return ListKind::UpperAlpha;
    case 4:
        return ListKind::LowerAlpha;
    case 23:
        return ListKind::Bullet;
    case 255:
        return ListKind::None;
    default:
        return ListKind::Decimal;
    }
}

} // namespace orbeta::rtf
