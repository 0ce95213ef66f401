#include "html/read/attributes.h"

#include "html/style/styleparser.h"
#include "html/text/htmlstrings.h"

#include <algorithm>

namespace html {

void TAttributeList::Clear() {
    FItems.clear();
    FId.reset();
    FStyle.reset();
}

void TAttributeList::Add(TAttribute attribute) {
    FItems.push_back(std::move(attribute));
    if (FItems.back().Kind == symAttrId)
        FId.reset();
}

const TAttribute* TAttributeList::Find(THtmlSymbol kind) const {
    for (const TAttribute& a : FItems)
        if (a.Kind == kind)
            return &a;
    return nullptr;
}

std::u16string TAttributeList::ClassValue() const {
    const TAttribute* a = Find(symAttrClass);
    if (!a)
        return {};
    std::vector<std::u16string> words;
    for (std::u16string& w : SplitText(LowerCase(Trim(a->Value)), u' '))
        if (!Trim(w).empty())
            words.push_back(Trim(w));
    std::sort(words.begin(), words.end());
    std::u16string joined;
    for (const std::u16string& w : words) {
        if (!joined.empty())
            joined += u'.';
        joined += w;
    }
    return joined;
}

const std::u16string& TAttributeList::IdValue() const {
    if (!FId) {
        const TAttribute* a = Find(symAttrId);
        FId = a ? LowerCase(a->Value) : std::u16string();
    }
    return *FId;
}

std::u16string TAttributeList::TitleValue() const {
    const TAttribute* a = Find(symAttrTitle);
    return a ? a->Value : std::u16string();
}

TProperties* TAttributeList::StyleProperties() {
    FStyle.reset();
    const TAttribute* a = Find(symAttrStyle);
    if (!a)
        return nullptr;
    FStyle = ParseStyleDeclarations(a->Value);
    return FStyle.get();
}

std::vector<std::u16string> TAttributeList::AsStrings() const {
    std::vector<std::u16string> lines;
    for (const TAttribute& a : FItems)
        lines.push_back(a.Name + u"=" + a.Value);
    return lines;
}

} // namespace html
