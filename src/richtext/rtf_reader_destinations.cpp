// The reader's handler for destination words: where the content of the group goes.
#include "richtext/rtf_reader_core.h"

namespace orbeta::rtf {

void Reader::destinationWord(Kw word) {
    if (skippedTooDeep())
        return;
    if (tableDestination(word) || objectDestination(word) || hiddenTextDestination(word))
        return;
    const bool inText = state_.destination == Destination::Text;
    switch (word) {
    case Kw::field:
    case Kw::fldinst:
    case Kw::fldrslt:
        fieldWord(word);
        break;
    case Kw::shppict:
    case Kw::result:
    case Kw::ud:
        break; // read like the text around them
    case Kw::pn:
        state_.destination = inText ? Destination::OldList : Destination::Skip;
        if (inText)
            oldList_.start();
        break;
    case Kw::upr:
        state_.outsidePair = state_.destination;
        state_.destination = Destination::UnicodePair;
        break;
    default:
        state_.destination = Destination::Skip;
        break;
    }
}

// The tables at the head of the document: fonts, colours, lists.
bool Reader::tableDestination(Kw word) {
    switch (word) {
    case Kw::fonttbl:
        state_.destination = Destination::FontTable;
        return true;
    case Kw::colortbl:
        state_.destination = Destination::ColorTable;
        colors_.start();
        return true;
    case Kw::listtable:
    case Kw::listoverridetable:
    case Kw::list:
    case Kw::listlevel:
    case Kw::listoverride:
        listTableWord(word);
        return true;
    default:
        return false;
    }
}

// Past the depth the reader keeps states for, groups share one: a destination there cannot be
// kept apart from its surroundings, so its group is skipped and the read counts as damaged.
bool Reader::skippedTooDeep() {
    if (overflowDepth_ == 0)
        return false;
    overflowSkipFrom_ = overflowDepth_;
    problem(tokens_.offset(), "a destination nested too deeply");
    return true;
}

void Reader::fieldWord(Kw word) {
    const bool inText = state_.destination == Destination::Text;
    if (word == Kw::field) {
        if (inText)
            fields_.open(stack_.size());
    } else if (word == Kw::fldinst) {
        state_.destination =
            inText && fields_.isOpen() ? Destination::FieldInstruction : Destination::Skip;
    } else if (inText) { // \fldrslt
        if (const int link = fields_.resultStarted(); link >= 0)
            state_.chr.link = link;
    }
}

void Reader::listTableWord(Kw word) {
    const Destination destination = state_.destination;
    if (word == Kw::listtable) {
        state_.destination = Destination::ListTable;
    } else if (word == Kw::listoverridetable) {
        state_.destination = Destination::ListOverrideTable;
    } else if (destination == Destination::ListTable ||
               destination == Destination::ListOverrideTable) {
        lists_.word(word, 0, destination == Destination::ListOverrideTable);
    } else {
        state_.destination = Destination::Skip; // a list outside the tables
    }
}

} // namespace orbeta::rtf
