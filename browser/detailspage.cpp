#include "browser/detailspage.h"

#include "browser/records.h"

namespace mkb::browser {

namespace {

void AddItem(std::vector<std::u16string>& lines, std::u16string_view heading,
             std::u16string_view value) {
    lines.emplace_back(u"    <tr>");
    lines.push_back(u"      <td><font size=\"2\" color=\"#871f1c\" face=\"Verdana\"><b>" +
                    std::u16string(heading) + u"</b></font></td>");
    lines.emplace_back(u"    </tr>");
    lines.emplace_back(u"    <tr>");
    lines.push_back(u"      <td><font size=\"2\" face=\"Verdana\">" + std::u16string(value) +
                    u"</font></td>");
    lines.emplace_back(u"    </tr>");
}

// The name with every reference that resolves as a link; the text itself stays as it was.
std::u16string LinkedName(const std::u16string& name, int self, const TReferenceTable& references) {
    std::u16string out;
    std::size_t at = 0;
    for (const TReference& ref : references.Find(name, self)) {
        if (ref.Target < 0)
            continue;
        out.append(name, at, ref.Start - at);
        out += u"<a href=\"" + RecordLink(ref.Target) + u"\">";
        out.append(name, ref.Start, ref.Length);
        out += u"</a>";
        at = ref.Start + ref.Length;
    }
    out.append(name, at);
    return out;
}

constexpr std::u16string_view LinkPrefix = u"mkb:";

} // namespace

std::u16string RecordLink(int index) {
    const std::string digits = std::to_string(index);
    return std::u16string(LinkPrefix) + std::u16string(digits.begin(), digits.end());
}

int RecordOfLink(std::u16string_view href, std::size_t storeSize) {
    if (!href.starts_with(LinkPrefix))
        return -1;
    href.remove_prefix(LinkPrefix.size());
    if (href.empty() || href.size() > 9)
        return -1;
    int index = 0;
    for (char16_t c : href) {
        if (c < u'0' || c > u'9')
            return -1;
        index = index * 10 + (c - u'0');
    }
    return static_cast<std::size_t>(index) < storeSize ? index : -1;
}

std::vector<std::u16string> BuildDetailsPage(std::span<const TMKBRec> store, int index,
                                             const std::vector<int>& ancestors,
                                             const TReferenceTable* references,
                                             const TCodeDates* dates) {
    std::vector<std::u16string> lines;
    lines.reserve(47);
    lines.emplace_back(u"<html>");
    lines.emplace_back(u"  <body bgColor=\"#f7f8fa\">");
    lines.emplace_back(u"    <table border=\"0\" cellpadding=\"0\" cellspacing=\"8\">");
    // An index outside the store reads as an empty record rather than past its end.
    static const TMKBRec empty{};
    auto rec = [&](int i) -> const TMKBRec& {
        return i >= 0 && static_cast<std::size_t>(i) < store.size()
                   ? store[static_cast<std::size_t>(i)]
                   : empty;
    };
    if (!ancestors.empty()) {
        const TMKBRec& klass = rec(ancestors[0]);
        AddItem(lines, u"Класс", DecodeCode(klass) + u"." + klass.name);
    }
    if (ancestors.size() >= 2)
        AddItem(lines, u"Раздел", rec(ancestors[1]).name);
    // The category and subcategory a deeper code lies in (S06 and S06.7 above S06.70): the
    // coded ancestors below the block, the record itself apart.
    for (std::size_t i = 2; i + 1 < ancestors.size(); ++i) {
        const TMKBRec& a = rec(ancestors[i]);
        const std::u16string code = DecodeCode(a);
        if (!TrimText(code).empty())
            AddItem(lines, code.find(u'.') == code.npos ? u"Рубрика" : u"Подрубрика",
                    RecordText(a));
    }
    const TMKBRec& r = rec(index);
    // A block has no code of its own: no empty heading for it.
    if (!TrimText(DecodeCode(r)).empty())
        AddItem(lines, u"Код", DecodeCode(r));
    if (dates && r.id != 0 && !dates->ValidFrom(r.id).empty())
        AddItem(lines, u"Срок действия", u"Действует с " + std::u16string(dates->ValidFrom(r.id)));
    AddItem(lines, u"Наименование",
            references && references->Built() ? LinkedName(r.name, index, *references) : r.name);
    if (!TrimText(r.incl).empty())
        AddItem(lines, u"Включенные данные", r.incl);
    if (!TrimText(r.excl).empty())
        AddItem(lines, u"Исключенные данные", r.excl);
    if (!TrimText(r.note).empty())
        AddItem(lines, u"Дополнительная информация", r.note);
    // Who refers here, each record a link: the dagger codes on an asterisk code's page.
    if (references && references->Built() && !references->ReferringTo(index).empty()) {
        std::u16string list;
        for (int from : references->ReferringTo(index)) {
            if (!list.empty())
                list += u"<br>";
            list += u"<a href=\"" + RecordLink(from) + u"\">" + RecordText(rec(from)) + u"</a>";
        }
        AddItem(lines, u"Ссылки на эту рубрику", list);
    }
    lines.emplace_back(u"  </body>");
    lines.emplace_back(u"</html>");
    return lines;
}

} // namespace mkb::browser
