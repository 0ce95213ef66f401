#pragma once
// The style rules of a document: selectors with their property records, and the default rules.
#include "html/style/properties.h"

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace html {

struct TCaseLess {
    bool operator()(std::u16string_view a, std::u16string_view b) const;
    using is_transparent = void;
};

class TStyleList {
public:
    // Adds a rule (duplicates allowed, kept in the order added) and returns its record, whose
    // ElementTag becomes the selector.
    TProperties& AddRule(std::u16string_view selector);
    void AddRule(std::u16string_view selector, std::unique_ptr<TProperties> record);
    // Every record of the selector, compared without regard to case, in list order.
    std::vector<const TProperties*> Find(std::u16string_view selector) const;
    // Rules whose selector has several parts separated by spaces.
    const std::vector<std::pair<std::u16string, const TProperties*>>& ContextualRules() const {
        return FContextual;
    }
    std::size_t Count() const { return FRules.size(); }
    void Clear();

    void InitializeStyles(std::u16string_view fontName, std::u16string_view preFontName,
                          double fontSize, TColor fontColor, TColor hotSpotColor,
                          TColor visitedColor, TColor overLinkColor, bool linkUnderline,
                          int charSet, int marginHeight, int marginWidth);
    // Sets color of the rule "::" + name (link, visited or hover) when it exists.
    void SetLinkColor(std::u16string_view name, TColor color);
    // The 60 values of the default rule (not its flags), its character set, its default face,
    // and the ElementTag "default".
    void CopyDefault(TProperties& record) const;

    const TProperties* DefProp() const { return FDefProp; }
    double DefPointSize() const { return FDefPointSize; }

private:
    // The default rules by kind: blocks and lists, phrase and form elements, rules and headings.
    void AddBlockRules(double fontSize, const std::u16string& pre);
    void AddPhraseRules(TColor fontColor, const std::u16string& pre);
    void AddHeadingRules(double fontSize);

    std::multimap<std::u16string, std::unique_ptr<TProperties>, TCaseLess> FRules;
    std::vector<std::pair<std::u16string, const TProperties*>> FContextual;
    TProperties* FDefProp{nullptr};
    double FDefPointSize{12};
};

} // namespace html
