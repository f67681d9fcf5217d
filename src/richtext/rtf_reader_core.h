#pragma once

#include "richtext/code_pages.h"
#include "richtext/rtf_char_formats.h"
#include "richtext/rtf_color_table.h"
#include "richtext/rtf_fields.h"
#include "richtext/rtf_font_table.h"
#include "richtext/rtf_kept_group.h"
#include "richtext/rtf_keywords.h"
#include "richtext/rtf_list_tables.h"
#include "richtext/rtf_pictures.h"
#include "richtext/rtf_read_sink.h"
#include "richtext/rtf_reader.h"
#include "richtext/rtf_state.h"
#include "richtext/rtf_text_collector.h"
#include "richtext/rtf_tokenizer.h"

#include <vector>

namespace orbeta::rtf {

// The reader's state machine: tokens in, a stack of group states, and what the groups say handed
// to a sink in the order of the file. Each kind of control word has its own handler; each
// destination that builds something of its own (fonts, colours, lists, pictures, fields) is a
// unit that the reader feeds and asks.
class Reader {
public:
    // `pasting`: the text goes into a document that keeps its own default font.
    Reader(QByteArrayView input, bool pasting);
    Reader(const Reader&) = delete;
    Reader& operator=(const Reader&) = delete;

    // Character formats as the tables read so far give them, for the sink.
    const CharFormats& formats() const { return formats_; }

    ReadResult run(ReadSink& sink);

private:
    enum class Destination : std::uint8_t {
        Text,
        Skip,
        UnicodePair,  // \upr: skip, except its \ud part
        Object,       // \object: its size; the rest is kept as the group's bytes
        ObjectResult, // \result of an \object: only its picture counts
        FontTable,
        ColorTable,
        FieldInstruction,
        Picture,
        OldList, // \pn
        ListTable,
        ListOverrideTable,
        Kept, // a group whose text is not shown, kept as it stands
    };

    struct State {
        Destination destination = Destination::Text;
        Destination outsidePair = Destination::Text; // where \ud text goes inside \upr
        CharState chr;
        ParaState para;
        int unicodeSkip = 1;      // \uc
        qsizetype groupStart = 0; // where the group's "{" stands
        int problemsBefore = 0;   // problems met before the group began
        // The group that a \pict, an \object or a destination whose text is not shown opened:
        // what it holds is kept as it stands. PictureGroup: a group of a picture's own
        // (\*\picprop), kept with the picture.
        enum class Kept : std::uint8_t { None, Picture, Object, Group, PictureGroup };
        Kept kept = Kept::None;
        // Whether the word opened its group: only then is the group what it holds.
        bool keptWholeGroup = false;
        bool pictureOfObject = false;  // the picture is what its object shows
        bool keptOnlyWithText = false; // an unknown destination: kept only when it holds text
    };

    // tokens and groups (rtf_reader_core.cpp)
    void handle(const Token& token);
    bool handledBySpecialDestination(const Token& token, bool opened) {
        return (state_.destination == Destination::UnicodePair ||
                state_.destination == Destination::Object) &&
               readsPartOfGroup(token, opened);
    }
    bool readsPartOfGroup(const Token& token, bool opened);
    void controlWordToken(const Token& token, bool opened);
    void textToken(QByteArrayView bytes);
    void hexByteToken(char byte);
    bool skipsUnicodeFallback(const Token& token);
    void pushGroup(qsizetype offset);
    void popGroup();
    void groupEnded(const State& ended);
    void keptGroupEnded(const State& ended);
    QByteArrayView groupBytes(const State& ended) const;
    KeptGroup keptGroup(const State& ended, bool withReferences) const;
    void noteKeptContent(const Token& token);
    void problem(qsizetype offset, const char* what);
    void takeRun(QString& text, const CharState& chr, const ParaState& para);
    void appendText(QStringView text) { text_.addText(text); }
    void flushRun() { text_.flush(); }

    // control words by kind (rtf_reader_words.cpp)
    void controlWord(const Keyword& keyword, int parameter);
    bool documentWord(Kw word, int value);
    void destinationContentWord(Kw word, int value);
    void textWord(const Keyword& keyword, int value);
    void toggleWord(Kw word, bool on);
    void flagWord(Kw word);
    void paragraphFlagWord(Kw word);
    void tableFlagWord(Kw word);
    void valueWord(Kw word, int value);
    void paragraphValueWord(Kw word, int value);
    void symbolWord(Kw word);
    void unicodeWord(int value);
    void controlSymbol(char symbol);

    // destinations by kind (rtf_reader_destinations.cpp), those kept as they stand
    // (rtf_reader_kept_destinations.cpp)
    void destinationWord(Kw word);
    bool tableDestination(Kw word);
    bool objectDestination(Kw word);
    bool hiddenTextDestination(Kw word);
    void unknownDestination();
    void keepGroup(State::Kept kind, bool onlyWithText);
    bool skippedTooDeep();
    void fieldWord(Kw word);
    void listTableWord(Kw word);

    QByteArrayView input_;
    Tokenizer tokens_;
    const bool pasting_;
    ReadSink* sink_ = nullptr;
    ReadResult result_;
    int problems_ = 0;

    std::vector<State> stack_;
    State state_;
    // Groups nested deeper than the stack goes share the deepest state; a destination among
    // them is skipped to the end of its group, from this depth of them on (0: none).
    int overflowDepth_ = 0;
    int overflowSkipFrom_ = 0;
    bool keptGroupHasText_ = false;
    bool starPending_ = false;
    bool groupJustOpened_ = false;
    bool wordOpensGroup_ = false; // the control word being handled is the first of its group
    bool finished_ = false;
    int pendingSkip_ = 0;
    ParaState finalPara_; // of the document's own group when it closed

    CodePages codePages_;
    FontTable fonts_{codePages_};
    bool fontTableSeen_ = false;
    ColorTable colors_;
    Fields fields_;
    ListTables lists_;
    OldStyleNumbering oldList_;
    PictureData picture_;
    ObjectData object_;
    RowDefinition rowDefinition_;
    RowDefinition::Cell nextCell_;
    CharFormats formats_;
    TextCollector text_;
};

} // namespace orbeta::rtf
