#include "richtext/rtf_reader_core.h"

#include <algorithm>

namespace orbeta::rtf {

namespace {

// Deeper groups than this share the state of the deepest one, so hostile nesting costs no memory.
constexpr std::size_t kMaxDepth = 512;

const char* statusProblem(TokenStatus status) {
    switch (status) {
    case TokenStatus::BadHex:
        return "bad \\' escape";
    case TokenStatus::KeywordTooLong:
        return "control word too long";
    case TokenStatus::NumberTooLong:
        return "number out of range";
    case TokenStatus::BinaryCut:
        return "\\bin data cut short";
    case TokenStatus::Ok:
        break;
    }
    return nullptr;
}

} // namespace

Reader::Reader(QByteArrayView input, bool pasting)
    : input_(input), tokens_(input), pasting_(pasting),
      formats_(fonts_, colors_, fields_, codePages_, pasting),
      text_(codePages_, fonts_, state_.chr, state_.para,
            [this](QString& text, const CharState& chr, const ParaState& para) {
                takeRun(text, chr, para);
            }) {}

ReadResult Reader::run(ReadSink& sink) {
    sink_ = &sink;
    for (;;) {
        const Token token = tokens_.next();
        if (token.type == TokenType::End)
            break;
        if (const char* what = statusProblem(token.status))
            problem(token.offset, what);
        handle(token);
        if (finished_)
            break;
    }
    if (!finished_)
        problem(tokens_.offset(), "document ends inside a group");
    else if (!tokens_.restIsBlank())
        problem(tokens_.offset(), "text after the end of the document");
    flushRun();
    sink.finish(finished_ ? finalPara_ : state_.para);
    if (!fontTableSeen_)
        sink.defaultFont(fonts_.familyOf(codePages_.defaultFont),
                         fonts_.charsetOf(codePages_.defaultFont));
    return result_;
}

void Reader::problem(qsizetype offset, const char* what) {
    ++problems_;
    if (result_.status != ReadStatus::Ok)
        return;
    result_.status = ReadStatus::Damaged;
    result_.offset = offset;
    std::tie(result_.line, result_.column) = tokens_.lineAndColumn(offset);
    result_.problem = QString::fromLatin1(what);
}

void Reader::handle(const Token& token) {
    if (token.type != TokenType::Text && token.type != TokenType::HexByte)
        text_.otherToken();
    const bool opened = groupJustOpened_;
    groupJustOpened_ = false;
    if (token.type == TokenType::GroupStart || token.type == TokenType::GroupEnd) {
        pendingSkip_ = 0;
        if (token.type == TokenType::GroupStart)
            pushGroup(token.offset);
        else
            popGroup();
        return;
    }
    if (state_.destination == Destination::Skip || stack_.empty() || overflowSkipFrom_ > 0)
        return; // nothing outside the document's own group is read
    if (state_.destination == Destination::Kept) {
        noteKeptContent(token);
        return;
    }
    if (pendingSkip_ > 0 && skipsUnicodeFallback(token))
        return;
    if (handledBySpecialDestination(token, opened))
        return;

    switch (token.type) {
    case TokenType::ControlWord:
        wordOpensGroup_ = opened;
        controlWordToken(token, opened);
        break;
    case TokenType::ControlSymbol:
        if (token.symbol == '*') {
            starPending_ = true;
            groupJustOpened_ = opened;
            return;
        }
        controlSymbol(token.symbol);
        break;
    case TokenType::HexByte:
        hexByteToken(static_cast<char>(token.byte));
        break;
    case TokenType::Text:
        textToken(token.bytes);
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

// \upr and \object read only parts of their group.
bool Reader::readsPartOfGroup(const Token& token, bool opened) {
    if (state_.destination == Destination::UnicodePair) {
        if (token.type == TokenType::ControlWord && lookupKeyword(token.word).id == Kw::ud)
            state_.destination = state_.outsidePair;
        return true;
    }
    if (state_.destination == Destination::Object) {
        if (token.type != TokenType::ControlWord)
            return true;
        const Keyword keyword = lookupKeyword(token.word);
        if (keyword.id == Kw::result)
            state_.destination = Destination::ObjectResult;
        else if (opened)
            state_.destination = Destination::Skip; // \objdata, \objclass and the like
        else
            object_.word(keyword.id, keyword.parameter(token.hasParameter, token.parameter));
    }
    return true;
}

void Reader::controlWordToken(const Token& token, bool opened) {
    const Keyword keyword = lookupKeyword(token.word);
    if (starPending_ && opened) {
        starPending_ = false;
        if (keyword.kind != KeywordKind::Destination) {
            unknownDestination();
            return;
        }
    }
    starPending_ = false;
    controlWord(keyword, keyword.parameter(token.hasParameter, token.parameter));
}

void Reader::textToken(QByteArrayView bytes) {
    switch (state_.destination) {
    case Destination::Text:
    case Destination::FieldInstruction:
        text_.addBytes(bytes);
        break;
    case Destination::FontTable:
        fonts_.text(bytes);
        break;
    case Destination::ColorTable:
        colors_.text(bytes);
        break;
    case Destination::Picture:
        picture_.addHex(bytes);
        break;
    default:
        break;
    }
}

void Reader::hexByteToken(char byte) {
    const QByteArrayView bytes(&byte, 1);
    if (state_.destination == Destination::Text ||
        state_.destination == Destination::FieldInstruction)
        text_.addBytes(bytes);
    else if (state_.destination == Destination::FontTable)
        fonts_.byte(byte); // an escaped ";" belongs to the name
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

void Reader::pushGroup(qsizetype offset) {
    if (!stack_.empty() || state_.destination != Destination::Text || finished_)
        flushRun();
    groupJustOpened_ = true;
    if (stack_.size() >= kMaxDepth) {
        ++overflowDepth_;
        return;
    }
    stack_.push_back(state_);
    state_.groupStart = offset;
    state_.problemsBefore = problems_;
    state_.kept = State::Kept::None;
    state_.keptWholeGroup = false;
    state_.pictureOfObject = false;
    state_.keptOnlyWithText = false;
    starPending_ = false;
}

void Reader::popGroup() {
    starPending_ = false;
    if (overflowDepth_ > 0) {
        if (overflowDepth_ == overflowSkipFrom_)
            overflowSkipFrom_ = 0;
        --overflowDepth_;
        return;
    }
    if (stack_.empty()) {
        problem(tokens_.offset() - 1, "unbalanced closing brace");
        return;
    }
    flushRun();
    const State ended = state_;
    state_ = stack_.back();
    stack_.pop_back();
    groupEnded(ended);
}

// What a group leaves behind once it is closed.
void Reader::groupEnded(const State& ended) {
    const Destination now = state_.destination;
    if (ended.destination == Destination::FontTable || ended.destination == Destination::ColorTable)
        formats_.forget();
    if (ended.destination == Destination::FontTable) {
        fonts_.groupEnded();
        if (now != Destination::FontTable) {
            sink_->defaultFont(fonts_.familyOf(codePages_.defaultFont),
                               fonts_.charsetOf(codePages_.defaultFont));
            fontTableSeen_ = true;
        }
    }
    if (ended.destination == Destination::OldList && now != Destination::OldList) {
        state_.para.list = oldList_.style();
        state_.para.listOverride = 0;
    }
    if (ended.kept == State::Kept::Picture) {
        if (ended.pictureOfObject)
            object_.result = picture_; // what the object shows
        else
            sink_->picture(picture_, keptGroup(ended, false), state_.para);
        picture_ = PictureData();
    }
    if (ended.kept == State::Kept::Object) {
        sink_->object(object_, keptGroup(ended, true), state_.para);
        object_ = ObjectData();
    }
    if (ended.kept == State::Kept::Group || ended.kept == State::Kept::PictureGroup)
        keptGroupEnded(ended);
    if (ended.destination == Destination::FieldInstruction && now != Destination::FieldInstruction)
        fields_.instructionEnded();
    fields_.closeDeeperThan(stack_.size());
    if (stack_.empty()) {
        finished_ = true; // the document's own group is closed; anything after it is not RTF
        finalPara_ = ended.para;
    }
}

// The group that has just closed, braces included, as it stands in the file; nothing where it is
// damaged, since what the program writes must read back whole, nor where it held other things
// before the picture or object began.
QByteArrayView Reader::groupBytes(const State& ended) const {
    if (problems_ > ended.problemsBefore || !ended.keptWholeGroup)
        return {};
    return input_.sliced(ended.groupStart, tokens_.offset() - ended.groupStart);
}

// The group that has just closed with the \uc count it was read under (the one around it), and,
// for a group that may hold text, the fonts and colours it names.
KeptGroup Reader::keptGroup(const State& ended, bool withReferences) const {
    const QByteArrayView bytes = groupBytes(ended);
    if (bytes.isEmpty())
        return {};
    if (withReferences)
        return keptGroupOf(bytes, state_.unicodeSkip, fonts_, colors_);
    KeptGroup group;
    group.rtf = bytes.toByteArray();
    group.unicodeSkip = state_.unicodeSkip;
    return group;
}

// A destination whose text is not shown has closed: it goes into the document as it stands,
// or, where it cannot, the read counts as damaged, so that saving keeps the original.
void Reader::keptGroupEnded(const State& ended) {
    if (ended.keptOnlyWithText && !keptGroupHasText_)
        return; // a destination this program does not know, with nothing in it to lose
    if (groupBytes(ended).isEmpty()) {
        problem(ended.groupStart, "a group that cannot be kept as it stands");
        return;
    }
    if (ended.kept == State::Kept::PictureGroup)
        picture_.groups += groupBytes(ended);
    else
        sink_->keptGroup(keptGroup(ended, true), state_.para);
}

void Reader::noteKeptContent(const Token& token) {
    if (token.type == TokenType::Text || token.type == TokenType::HexByte ||
        (token.type == TokenType::ControlWord && token.word == "u"))
        keptGroupHasText_ = true;
}

void Reader::takeRun(QString& text, const CharState& chr, const ParaState& para) {
    if (state_.destination == Destination::FieldInstruction) {
        fields_.addInstruction(text);
        return;
    }
    if (state_.destination == Destination::ObjectResult)
        return; // the object is kept whole; its result is only what it shows
    // Control characters other than tab do not belong in text, nor do halves of surrogate pairs.
    text.removeIf([](QChar c) { return c.unicode() < 0x20 && c != QLatin1Char('\t'); });
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            ++i;
        else if (c.isSurrogate())
            text[i] = QChar::ReplacementCharacter;
    }
    if (!text.isEmpty())
        sink_->text(text, chr, para);
}

} // namespace orbeta::rtf
