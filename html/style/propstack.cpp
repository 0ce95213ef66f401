#include "html/style/propstack.h"

#include "html/text/htmlstrings.h"
#include "html/text/units.h"

namespace html {

namespace {

bool IsTablePart(std::u16string_view tag) {
    return tag == u"thead" || tag == u"tbody" || tag == u"tfoot";
}

void CopyCommon(const TProperties& parent, TProperties& child) {
    child.DefaultFontName = parent.DefaultFontName;
    child.InlineBackground = parent.InlineBackground;
    child.CharSet = parent.CharSet;
    child.CodePage = parent.CodePage;
    child.ElementTitle = parent.ElementTitle;
    child.HasLinkFonts = parent.HasLinkFonts;
    child.LinkFonts = parent.LinkFonts;
    child.EmHeight = parent.EmHeight;
    child.ExHeight = child.EmHeight / 2;
}

// The inheritance of one value; keepOwn leaves the values the child set itself.
void InheritValues(std::u16string_view tag, const TProperties& parent, TProperties& child,
                   bool keepOwn) {
    for (int i = 0; i < PropertyCount; ++i) {
        if (keepOwn && child.Explicit[i])
            continue;
        if (parent.ElementTag == u"span") {
            if (i != BorderStyle)
                child.Values[i] = parent.Values[i];
        } else if (IsTablePart(parent.ElementTag)) {
            child.Values[i] = parent.Values[i];
            child.Explicit[i] = parent.Explicit[i];
        } else if (i == WordWrap && tag == u"table") {
            child.Values[i] = u"normal";
        } else if (IsInheritedProperty(i)) {
            child.Values[i] = parent.Values[i];
        }
    }
}

bool IsLinkFontProperty(int i) {
    return i == FontFamily || i == FontSize || i == FontStyle || i == FontWeight ||
           i == TextDecoration || i == LetterSpacing || i == Color || i == BackgroundColor;
}

} // namespace

void InheritProperties(std::u16string_view tag, const TProperties& parent, TProperties& child) {
    InheritValues(tag, parent, child, false);
    CopyCommon(parent, child);
}

void MergeProperties(const TProperties& rule, TProperties& record) {
    bool linkFontChanged = false;
    for (int i = 0; i < PropertyCount; ++i) {
        const TPropValue& v = rule.Values[i];
        if (v.IsEmpty() || (IsBoxProperty(i) && v.IsIntValue(NoValue)))
            continue;
        record.Values[i] = v;
        record.Explicit[i] = true;
        linkFontChanged |= IsLinkFontProperty(i);
    }
    if (linkFontChanged && record.HasLinkFonts)
        record.RefreshLinkFonts();
}

TProperties* TPropStack::PushBase(std::unique_ptr<TProperties> base) {
    FRecords.clear();
    FRecords.push_back(std::move(base));
    return FRecords.back().get();
}

TProperties* TPropStack::TopProperties() const {
    return FRecords.empty() ? nullptr : FRecords.back().get();
}

TProperties* TPropStack::PropertiesAt(int index) const {
    if (index < 0 || index >= Count())
        return nullptr;
    return FRecords[index].get();
}

int TPropStack::CodePageInForce() const {
    const TProperties* top = TopProperties();
    return top ? top->CodePage : 0;
}

void TPropStack::MarkUtf8Document() {
    if (TProperties* base = PropertiesAt(0)) {
        base->CodePage = 65001;
        base->CharSet = ANSI_CHARSET;
    }
}

void TPropStack::MergeRules(TProperties& record, std::u16string_view selector) const {
    for (const TProperties* rule : FStyles->Find(selector))
        MergeProperties(*rule, record);
}

bool TPropStack::ContextMatches(const std::vector<std::u16string>& parts, int stackTop) const {
    // parts before the last one must be met, right to left, by records further down.
    int level = stackTop;
    for (int p = static_cast<int>(parts.size()) - 2; p >= 0; --p) {
        const std::u16string& part = parts[p];
        bool found = false;
        for (; level >= 0 && !found; --level) {
            const TProperties& r = *FRecords[level];
            std::u16string dotted = u"." + r.ElementClass;
            found = SameText(part, r.ElementTag) ||
                    (!r.ElementClass.empty() &&
                     (SameText(part, dotted) || SameText(part, r.ElementTag + dotted)));
        }
        if (!found)
            return false;
    }
    return true;
}

void TPropStack::ApplyRules(TProperties& record, std::u16string_view tagView,
                            std::u16string_view clsView, std::u16string_view idView,
                            std::u16string_view pseudoView, bool classOnly, int stackTop) const {
    const std::u16string T(tagView), C(clsView), I(idView), P(pseudoView);
    const bool hoverOrVisited = P == u"hover" || P == u"visited";
    if (!classOnly) {
        if (T == u"a" && !P.empty())
            MergeRules(record, u"::" + P);
        if (!hoverOrVisited)
            MergeRules(record, T);
        if (!P.empty())
            MergeRules(record, u":" + P);
    }
    if (!C.empty() && !hoverOrVisited) {
        MergeRules(record, u"." + C);
        MergeRules(record, T + u"." + C);
    }
    if (!classOnly && !P.empty())
        MergeRules(record, T + u":" + P);
    if (!C.empty() && !P.empty()) {
        MergeRules(record, u"." + C + u":" + P);
        MergeRules(record, T + u"." + C + u":" + P);
    }
    if (!I.empty()) {
        if (!classOnly) {
            MergeRules(record, u"#" + I);
            MergeRules(record, T + u"#" + I);
        }
        if (!C.empty())
            MergeRules(record, u"." + C + u"#" + I);
        if (!classOnly && !P.empty()) {
            MergeRules(record, u"#" + I + u":" + P);
            MergeRules(record, T + u"#" + I + u":" + P);
        }
        if (!C.empty())
            MergeRules(record, T + u"." + C + u"#" + I);
        MergeRules(record, u"." + C + u"#" + I + u":" + P);
        MergeRules(record, T + u"." + C + u"#" + I + u":" + P);
    }
    // Contextual rules, by the first part that names this element: tag, class, pseudo-class.
    const std::u16string keys[3] = {classOnly ? std::u16string() : T,
                                    C.empty() ? std::u16string() : u"." + C,
                                    (classOnly || P.empty()) ? std::u16string() : u":" + P};
    for (const std::u16string& key : keys) {
        if (key.empty())
            continue;
        for (const auto& [selector, rule] : FStyles->ContextualRules()) {
            std::vector<std::u16string> parts;
            for (std::u16string& part : SplitText(selector, u' '))
                if (!part.empty())
                    parts.push_back(std::move(part));
            if (parts.size() >= 2 && SameText(parts.back(), key) && ContextMatches(parts, stackTop))
                MergeProperties(*rule, record);
        }
    }
}

TProperties* TPropStack::PushProperties(std::u16string_view tag, std::u16string_view cls,
                                        std::u16string_view id, TProperties* style,
                                        std::u16string_view title, std::u16string_view pseudo) {
    auto record = std::make_unique<TProperties>();
    TProperties& r = *record;
    const int below = Count() - 1;
    if (below >= 0)
        InheritProperties(tag, *FRecords[below], r);
    const double inherited = r.Values[FontSize].AsNumber();
    const double s = inherited > 0 ? inherited : FStyles->DefPointSize();

    // Several class words: the first pass takes every selector, the later ones only those
    // with a class, so that a tag rule never overrides the class rules of an earlier word.
    std::vector<std::u16string> words = SplitText(cls, u'.');
    if (words.size() <= 1) {
        ApplyRules(r, tag, cls, id, pseudo, false, below);
    } else {
        for (std::size_t w = 0; w < words.size(); ++w)
            ApplyRules(r, tag, words[w], id, pseudo, w > 0, below);
        ApplyRules(r, tag, cls, id, pseudo, true, below);
    }
    if (style)
        MergeProperties(*style, r);
    if (r.Values[FontSize].IsString())
        r.Values[FontSize] =
            ConvertFontSize(r.Values[FontSize].AsString(), s, FStyles->DefPointSize());

    r.ElementTag = std::u16string(tag);
    r.ElementClass = std::u16string(cls);
    r.ElementId = std::u16string(id);
    r.PseudoClass = std::u16string(pseudo);
    r.InlineStyle = style;
    if (!title.empty())
        r.ElementTitle = std::u16string(title);

    if (pseudo == u"link") {
        ThtFontInfo normal;
        r.GetFontInfo(normal);
        r.HasLinkFonts = true;
        for (ThtFontInfo& f : r.LinkFonts)
            f = normal;
        auto colorOf = [&](std::u16string_view selector, TColor fallback) {
            for (const TProperties* rule : FStyles->Find(selector))
                if (rule->Values[Color].IsNumber())
                    fallback = rule->Values[Color].AsColor();
            return fallback;
        };
        r.LinkFonts[1].Color = colorOf(u"::visited", normal.Color);
        r.LinkFonts[2].Color = colorOf(u"::hover", normal.Color);
        r.LinkFonts[3].Color = r.LinkFonts[2].Color;
    }
    FRecords.push_back(std::move(record));
    return FRecords.back().get();
}

void TPropStack::PopProperties() {
    if (Count() > 1)
        FRecords.pop_back();
}

void TPropStack::PopTagProperties(std::u16string_view tag) {
    int found = -1;
    for (int i = Count() - 1; i >= 1 && found < 0; --i)
        if (FRecords[i]->ElementTag == tag)
            found = i;
    if (found < 0)
        return;
    TProperties& closing = *FRecords[found];
    if (OnInlineBorderEnd && closing.Explicit[BorderStyle] &&
        closing.GetBorderStyleCode() != bssNone)
        OnInlineBorderEnd(closing);
    FRecords.erase(FRecords.begin() + found);
    // The records that stood above the closed one take again from what is now below them what
    // they did not set themselves.
    for (int i = found; i < Count(); ++i) {
        const TProperties& parent = *FRecords[i - 1];
        TProperties& child = *FRecords[i];
        InheritValues(child.ElementTag, parent, child, true);
        child.DefaultFontName = parent.DefaultFontName;
        if (!child.Explicit[BackgroundColor])
            child.InlineBackground = parent.InlineBackground;
        child.EmHeight = parent.EmHeight;
        child.ExHeight = child.EmHeight / 2;
        if (child.PseudoClass != u"link") {
            child.HasLinkFonts = parent.HasLinkFonts;
            child.LinkFonts = parent.LinkFonts;
        }
        child.FontCache.reset();
        child.RefreshLinkFonts();
    }
}

} // namespace html
