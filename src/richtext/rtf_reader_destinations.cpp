// The reader's handler for destination words: where the content of the group goes.
#include "richtext/rtf_reader_core.h"

namespace orbeta::rtf {

void Reader::destinationWord(Kw word) {
    if (skippedTooDeep())
        return;
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
        const bool ofObject = state_.destination == Destination::ObjectResult;
        state_.destination = inText || ofObject ? Destination::Picture : Destination::Skip;
        if (inText || ofObject) {
            state_.kept = State::Kept::Picture;
            state_.keptWholeGroup = wordOpensGroup_;
            state_.pictureOfObject = ofObject;
            picture_ = PictureData();
        }
        break;
    }
    case Kw::picprop:
    case Kw::blipuid:
        if (state_.destination == Destination::Picture)
            keepGroup(State::Kept::PictureGroup, false);
        else
            state_.destination = Destination::Skip;
        break;
    // Text that is not shown where it stands: kept as it is, so that saving loses none of it.
    case Kw::header:
    case Kw::headerl:
    case Kw::headerr:
    case Kw::headerf:
    case Kw::footer:
    case Kw::footerl:
    case Kw::footerr:
    case Kw::footerf:
    case Kw::footnote:
    case Kw::annotation:
    case Kw::atnid:
    case Kw::atnauthor:
    case Kw::shp:
    case Kw::do_:
    case Kw::xe:
    case Kw::tc:
    case Kw::txe:
    case Kw::rxe:
    case Kw::bkmkstart:
    case Kw::bkmkend:
        if (inText)
            keepGroup(State::Kept::Group, false);
        else
            state_.destination = Destination::Skip;
        break;
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

// An optional destination (\*) that this program does not know: kept as it stands where it
// holds text of the memo, skipped elsewhere.
void Reader::unknownDestination() {
    if (skippedTooDeep())
        return;
    if (state_.destination == Destination::Text)
        keepGroup(State::Kept::Group, true);
    else
        state_.destination = Destination::Skip;
}

void Reader::keepGroup(State::Kept kind, bool onlyWithText) {
    state_.destination = Destination::Kept;
    state_.kept = kind;
    state_.keptWholeGroup = wordOpensGroup_;
    state_.keptOnlyWithText = onlyWithText;
    keptGroupHasText_ = false;
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
