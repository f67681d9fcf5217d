// Destinations whose groups are kept as they were read, to be written back as they stand:
// pictures and objects, which the editor shows, and text that is not shown where it stands.
#include "richtext/rtf_reader_core.h"

namespace orbeta::rtf {

bool Reader::objectDestination(Kw word) {
    const bool inText = state_.destination == Destination::Text;
    switch (word) {
    case Kw::object:
        state_.destination = inText ? Destination::Object : Destination::Skip;
        if (inText) {
            state_.kept = State::Kept::Object;
            state_.keptWholeGroup = wordOpensGroup_;
            object_ = ObjectData();
        }
        return true;
    case Kw::pict: {
        const bool ofObject = state_.destination == Destination::ObjectResult;
        state_.destination = inText || ofObject ? Destination::Picture : Destination::Skip;
        if (inText || ofObject) {
            state_.kept = State::Kept::Picture;
            state_.keptWholeGroup = wordOpensGroup_;
            state_.pictureOfObject = ofObject;
            picture_ = PictureData();
        }
        return true;
    }
    case Kw::picprop:
    case Kw::blipuid:
        if (state_.destination == Destination::Picture)
            keepGroup(State::Kept::PictureGroup, false);
        else
            state_.destination = Destination::Skip;
        return true;
    default:
        return false;
    }
}

// Headers and footers, footnotes, comments, shapes, drawing objects, index and contents entries,
// bookmarks: kept as they are, so that saving loses none of them.
bool Reader::hiddenTextDestination(Kw word) {
    switch (word) {
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
        if (state_.destination == Destination::Text)
            keepGroup(State::Kept::Group, false);
        else
            state_.destination = Destination::Skip;
        return true;
    default:
        return false;
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

} // namespace orbeta::rtf
