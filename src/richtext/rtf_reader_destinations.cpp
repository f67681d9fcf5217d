// The reader's handler for destination words: where the content of the group goes.
#include "richtext/rtf_reader_core.h"

namespace orbeta::rtf {

void Reader::destinationWord(Kw word) {
    const bool inText = state_.destination == Destination::Text;
    switch (word) {
    case Kw::fonttbl:
        state_.destination = Destination::FontTable;
        break;
    case Kw::colortbl:
        state_.destination = Destination::ColorTable;
        colors_.start();
        break;
    case Kw::field:
    case Kw::fldinst:
    case Kw::fldrslt:
        fieldWord(word);
        break;
    case Kw::shppict:
    case Kw::result:
    case Kw::ud:
        break; // read like the text around them
    case Kw::object:
        state_.destination = inText ? Destination::Object : Destination::Skip;
        if (inText) {
            state_.kept = State::Kept::Object;
            state_.keptWholeGroup = wordOpensGroup_;
            object_ = ObjectData();
        }
        break;
    case Kw::pict: {
        const bool wanted = inText || state_.destination == Destination::ObjectResult;
        state_.destination = wanted ? Destination::Picture : Destination::Skip;
        if (wanted) {
            state_.kept = State::Kept::Picture;
            state_.keptWholeGroup = wordOpensGroup_;
            picture_ = PictureData();
        }
        break;
    }
    case Kw::pn:
        state_.destination = inText ? Destination::OldList : Destination::Skip;
        if (inText)
            oldList_.start();
        break;
    case Kw::listtable:
    case Kw::listoverridetable:
    case Kw::list:
    case Kw::listlevel:
    case Kw::listoverride:
        listTableWord(word);
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
