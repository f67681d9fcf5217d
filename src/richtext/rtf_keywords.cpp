#include "richtext/rtf_keywords.h"

#include <algorithm>
#include <array>

namespace orbeta::rtf {

namespace {

constexpr Keyword flag(std::string_view name, Kw id) {
    return {name, KeywordKind::Flag, id, 0};
}
constexpr Keyword toggle(std::string_view name, Kw id) {
    return {name, KeywordKind::Toggle, id, 1};
}
constexpr Keyword value(std::string_view name, Kw id, int defaultParameter = 0) {
    return {name, KeywordKind::Value, id, defaultParameter};
}
constexpr Keyword destination(std::string_view name, Kw id) {
    return {name, KeywordKind::Destination, id, 0};
}
constexpr Keyword symbol(std::string_view name, Kw id) {
    return {name, KeywordKind::Symbol, id, 0};
}

// Sorted by name, so a word is found by binary search.
constexpr std::array kKeywords = std::to_array<Keyword>({
    toggle("ab", Kw::ab),
    value("af", Kw::af, -1),
    value("afs", Kw::afs),
    toggle("ai", Kw::ai),
    destination("annotation", Kw::annotation),
    flag("ansi", Kw::ansi),
    value("ansicpg", Kw::ansicpg),
    destination("atnauthor", Kw::atnauthor),
    destination("atnid", Kw::atnid),
    toggle("b", Kw::b),
    value("bin", Kw::bin),
    destination("bkmkend", Kw::bkmkend),
    destination("bkmkstart", Kw::bkmkstart),
    destination("blipuid", Kw::blipuid),
    value("blue", Kw::blue),
    symbol("bullet", Kw::bullet),
    toggle("caps", Kw::caps),
    value("cb", Kw::cb),
    flag("cell", Kw::cell),
    value("cellx", Kw::cellx),
    value("cf", Kw::cf),
    value("chcbpat", Kw::chcbpat),
    symbol("chdate", Kw::chdate),
    symbol("chtime", Kw::chtime),
    flag("clmgf", Kw::clmgf),
    flag("clmrg", Kw::clmrg),
    flag("clvmgf", Kw::clvmgf),
    flag("clvmrg", Kw::clvmrg),
    destination("colorschememapping", Kw::colorschememapping),
    destination("colortbl", Kw::colortbl),
    value("cpg", Kw::cpg),
    destination("datastore", Kw::datastore),
    flag("dbch", Kw::dbch),
    value("deff", Kw::deff),
    value("deflang", Kw::deflang),
    value("deflangfe", Kw::deflangfe),
    flag("dibitmap", Kw::dibitmap),
    value("dn", Kw::dn, 6),
    destination("do", Kw::do_),
    symbol("emdash", Kw::emdash),
    flag("emfblip", Kw::emfblip),
    symbol("emspace", Kw::emspace),
    symbol("endash", Kw::endash),
    symbol("enspace", Kw::enspace),
    value("f", Kw::f, -1),
    destination("falt", Kw::falt),
    flag("fbidi", Kw::fbidi),
    value("fcharset", Kw::fcharset),
    flag("fdecor", Kw::fdecor),
    value("fi", Kw::fi),
    destination("field", Kw::field),
    destination("filetbl", Kw::filetbl),
    destination("fldinst", Kw::fldinst),
    destination("fldrslt", Kw::fldrslt),
    destination("fldtype", Kw::fldtype),
    flag("fmodern", Kw::fmodern),
    flag("fnil", Kw::fnil),
    destination("fonttbl", Kw::fonttbl),
    destination("footer", Kw::footer),
    destination("footerf", Kw::footerf),
    destination("footerl", Kw::footerl),
    destination("footerr", Kw::footerr),
    destination("footnote", Kw::footnote),
    value("fprq", Kw::fprq),
    flag("froman", Kw::froman),
    value("fs", Kw::fs),
    flag("fscript", Kw::fscript),
    flag("fswiss", Kw::fswiss),
    flag("ftech", Kw::ftech),
    destination("generator", Kw::generator),
    value("green", Kw::green),
    destination("header", Kw::header),
    destination("headerf", Kw::headerf),
    destination("headerl", Kw::headerl),
    destination("headerr", Kw::headerr),
    flag("hich", Kw::hich),
    value("highlight", Kw::highlight),
    toggle("i", Kw::i),
    value("ilvl", Kw::ilvl),
    destination("info", Kw::info),
    flag("intbl", Kw::intbl),
    value("itap", Kw::itap),
    flag("jpegblip", Kw::jpegblip),
    destination("latentstyles", Kw::latentstyles),
    symbol("ldblquote", Kw::ldblquote),
    value("levelnfc", Kw::levelnfc),
    value("levelnfcn", Kw::levelnfcn),
    destination("levelnumbers", Kw::levelnumbers),
    value("levelstartat", Kw::levelstartat),
    destination("leveltext", Kw::leveltext),
    value("li", Kw::li),
    symbol("line", Kw::line),
    destination("list", Kw::list),
    value("listid", Kw::listid),
    destination("listlevel", Kw::listlevel),
    destination("listname", Kw::listname),
    destination("listoverride", Kw::listoverride),
    destination("listoverridetable", Kw::listoverridetable),
    destination("listtable", Kw::listtable),
    value("listtemplateid", Kw::listtemplateid),
    destination("listtext", Kw::listtext),
    flag("loch", Kw::loch),
    symbol("lquote", Kw::lquote),
    value("ls", Kw::ls),
    symbol("ltrmark", Kw::ltrmark),
    flag("mac", Kw::mac),
    flag("macpict", Kw::macpict),
    destination("mmathPr", Kw::mmathPr),
    flag("nestcell", Kw::nestcell),
    flag("nestrow", Kw::nestrow),
    destination("nonshppict", Kw::nonshppict),
    flag("nosupersub", Kw::nosupersub),
    destination("objdata", Kw::objdata),
    destination("object", Kw::object),
    value("objh", Kw::objh),
    value("objscalex", Kw::objscalex),
    value("objscaley", Kw::objscaley),
    value("objw", Kw::objw),
    flag("page", Kw::page),
    destination("panose", Kw::panose),
    flag("par", Kw::par),
    flag("pard", Kw::pard),
    flag("pc", Kw::pc),
    flag("pca", Kw::pca),
    destination("pgdsctbl", Kw::pgdsctbl),
    value("piccropb", Kw::piccropb),
    value("piccropl", Kw::piccropl),
    value("piccropr", Kw::piccropr),
    value("piccropt", Kw::piccropt),
    value("pich", Kw::pich),
    value("pichgoal", Kw::pichgoal),
    destination("picprop", Kw::picprop),
    value("picscalex", Kw::picscalex),
    value("picscaley", Kw::picscaley),
    destination("pict", Kw::pict),
    value("picw", Kw::picw),
    value("picwgoal", Kw::picwgoal),
    flag("plain", Kw::plain),
    flag("pmmetafile", Kw::pmmetafile),
    destination("pn", Kw::pn),
    flag("pncard", Kw::pncard),
    flag("pndec", Kw::pndec),
    value("pnf", Kw::pnf),
    flag("pngblip", Kw::pngblip),
    value("pnindent", Kw::pnindent),
    flag("pnlcltr", Kw::pnlcltr),
    flag("pnlcrm", Kw::pnlcrm),
    value("pnlvl", Kw::pnlvl),
    flag("pnlvlblt", Kw::pnlvlblt),
    flag("pnlvlbody", Kw::pnlvlbody),
    flag("pnlvlcont", Kw::pnlvlcont),
    flag("pnord", Kw::pnord),
    flag("pnordt", Kw::pnordt),
    value("pnstart", Kw::pnstart),
    destination("pntext", Kw::pntext),
    destination("pntxta", Kw::pntxta),
    destination("pntxtb", Kw::pntxtb),
    flag("pnucltr", Kw::pnucltr),
    flag("pnucrm", Kw::pnucrm),
    flag("qc", Kw::qc),
    flag("qd", Kw::qd),
    flag("qj", Kw::qj),
    flag("ql", Kw::ql),
    symbol("qmspace", Kw::qmspace),
    flag("qr", Kw::qr),
    symbol("rdblquote", Kw::rdblquote),
    value("red", Kw::red),
    destination("result", Kw::result),
    destination("revtbl", Kw::revtbl),
    value("ri", Kw::ri),
    flag("row", Kw::row),
    symbol("rquote", Kw::rquote),
    destination("rsidtbl", Kw::rsidtbl),
    flag("rtf", Kw::rtf),
    symbol("rtlmark", Kw::rtlmark),
    destination("rxe", Kw::rxe),
    value("sa", Kw::sa),
    value("sb", Kw::sb),
    toggle("scaps", Kw::scaps),
    flag("sect", Kw::sect),
    destination("shp", Kw::shp),
    destination("shpinst", Kw::shpinst),
    destination("shppict", Kw::shppict),
    destination("shptxt", Kw::shptxt),
    value("sl", Kw::sl),
    value("slmult", Kw::slmult, 1),
    destination("sn", Kw::sn),
    destination("sp", Kw::sp),
    toggle("strike", Kw::strike),
    toggle("striked", Kw::striked),
    destination("stylesheet", Kw::stylesheet),
    flag("sub", Kw::sub),
    flag("super", Kw::super),
    destination("sv", Kw::sv),
    symbol("tab", Kw::tab),
    destination("tc", Kw::tc),
    destination("template", Kw::template_),
    destination("themedata", Kw::themedata),
    value("trgaph", Kw::trgaph),
    flag("trowd", Kw::trowd),
    destination("txe", Kw::txe),
    value("u", Kw::u),
    value("uc", Kw::uc, 1),
    destination("ud", Kw::ud),
    toggle("ul", Kw::ul),
    toggle("uld", Kw::uld),
    toggle("uldash", Kw::uldash),
    toggle("uldashd", Kw::uldashd),
    toggle("uldashdd", Kw::uldashdd),
    toggle("uldb", Kw::uldb),
    toggle("ulhwave", Kw::ulhwave),
    toggle("ulldash", Kw::ulldash),
    flag("ulnone", Kw::ulnone),
    toggle("ulth", Kw::ulth),
    toggle("ululdbwave", Kw::ululdbwave),
    toggle("ulw", Kw::ulw),
    toggle("ulwave", Kw::ulwave),
    value("up", Kw::up, 6),
    destination("upr", Kw::upr),
    toggle("v", Kw::v),
    value("viewkind", Kw::viewkind),
    value("wbitmap", Kw::wbitmap),
    value("wmetafile", Kw::wmetafile),
    destination("xe", Kw::xe),
    destination("xmlnstbl", Kw::xmlnstbl),
    symbol("zwbo", Kw::zwbo),
    symbol("zwj", Kw::zwj),
    symbol("zwnbo", Kw::zwnbo),
    symbol("zwnj", Kw::zwnj),
});

constexpr bool sortedByName() {
    for (std::size_t i = 1; i < kKeywords.size(); ++i)
        if (!(kKeywords[i - 1].name < kKeywords[i].name))
            return false;
    return true;
}
static_assert(sortedByName(), "keywords must stay sorted");

constexpr std::size_t kIdCount = static_cast<std::size_t>(Kw::Count);

// Every id but Unknown names exactly one word of the table.
constexpr bool everyIdOnce() {
    std::array<int, kIdCount> seen{};
    for (const Keyword& keyword : kKeywords)
        ++seen[static_cast<std::size_t>(keyword.id)];
    for (std::size_t id = 1; id < kIdCount; ++id)
        if (seen[id] != 1)
            return false;
    return seen[0] == 0;
}
static_assert(everyIdOnce(), "every keyword id needs exactly one row in the table");

// Names by id, for the writer.
constexpr std::array<std::string_view, kIdCount> namesById() {
    std::array<std::string_view, kIdCount> names{};
    for (const Keyword& keyword : kKeywords)
        names[static_cast<std::size_t>(keyword.id)] = keyword.name;
    return names;
}
constexpr auto kNamesById = namesById();

} // namespace

Keyword lookupKeyword(std::string_view name) {
    const auto found = std::lower_bound(
        kKeywords.begin(), kKeywords.end(), name,
        [](const Keyword& keyword, std::string_view wanted) { return keyword.name < wanted; });
    if (found != kKeywords.end() && found->name == name)
        return *found;
    return {name, KeywordKind::Flag, Kw::Unknown, 0};
}

std::string_view keywordName(Kw id) {
    const auto index = static_cast<std::size_t>(id);
    return index < kNamesById.size() ? kNamesById[index] : std::string_view();
}

} // namespace orbeta::rtf
