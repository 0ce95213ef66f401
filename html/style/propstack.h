#pragma once
// The property records of the open elements of a document being read, base record first.
#include "html/style/properties.h"
#include "html/style/stylelist.h"
#include "html/text/charsets.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace html {

class TPropStack : public TCodePageSource {
public:
    explicit TPropStack(const TStyleList& styles) : FStyles(&styles) {}

    // Puts the document's base record at the bottom (the builder makes it with CopyDefault).
    TProperties* PushBase(std::unique_ptr<TProperties> base);
    // A new record for an element: inherits from the top, takes the matching rules and the
    // style attribute.
    TProperties* PushProperties(std::u16string_view tag, std::u16string_view cls,
                                std::u16string_view id, TProperties* style,
                                std::u16string_view title, std::u16string_view pseudo);
    void PopProperties();
    // Removes the topmost record made for tag; the records above it inherit again.
    void PopTagProperties(std::u16string_view tag);
    TProperties* TopProperties() const;
    TProperties* PropertiesAt(int index) const;
    int Count() const { return static_cast<int>(FRecords.size()); }
    void ClearStack() { FRecords.clear(); }

    // What the reader asks while it reads: the top record's code page, and the base record
    // taking UTF-8.
    int CodePageInForce() const override;
    void MarkUtf8Document() override;

    // A record with an inline border is being closed (its border ends at the current source
    // index of the reader); assigned by the builder.
    std::function<void(TProperties& Record)> OnInlineBorderEnd;

private:
    void ApplyRules(TProperties& record, std::u16string_view tag, std::u16string_view cls,
                    std::u16string_view id, std::u16string_view pseudo, bool classOnly,
                    int stackTop) const;
    void MergeRules(TProperties& record, std::u16string_view selector) const;
    bool ContextMatches(const std::vector<std::u16string>& parts, int stackTop) const;

    const TStyleList* FStyles;
    std::vector<std::unique_ptr<TProperties>> FRecords;
};

// Copies what a child element takes from its parent's record.
void InheritProperties(std::u16string_view tag, const TProperties& parent, TProperties& child);
// Merges a rule record into a record: every value it has, with the Explicit flag.
void MergeProperties(const TProperties& rule, TProperties& record);

} // namespace html
