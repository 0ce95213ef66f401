#pragma once
// A run of inline content: text, break codes, font runs and the lines of the last layout.
#include "html/layout/sectionbase.h"
#include "html/style/myfont.h"

#include <memory>
#include <string>
#include <vector>

namespace html {

class TProperties;
class TAttributeList;
class TokenObj;
class TCellBasic;

constexpr char16_t ObjectChar = 4;  // placeholder of an embedded object
constexpr char16_t ObjectChar2 = 2; // treated like ObjectChar by the line breaker
constexpr char16_t BreakChar = 8;   // forced line break
constexpr char16_t SoftHyphen = 0xAD;

class TFontObj {
public:
    TSection* Section{nullptr};
    int StartPos{0};
    std::unique_ptr<TMyFont> Font;
    std::u16string Link; // empty: not a link
    int VAlign{0};       // 0 normal, ASub, ASuper
    int FontHeight{0};
    int MaxCharWidth{0};
    int BoxHeight{0};
    int Descent{0};
    int Overhang{0};

    void SetFont(std::unique_ptr<TMyFont> font);
};

struct IndexObj {
    int Pos{0};
    int Index{0};
};

struct LineRec {
    int Start{0};
    int CharCount{0};
    int SpaceAbove{0};
    int SpaceBelow{0};
    int BoxHeight{0};
    int PaintHeight{0};
    int Descent{0};
    int Indent{0};
    int AvailWidth{0};
    int SpaceCount{0};
    int ExtraWidth{0};
    bool Hyphenated{false};
    int DrawX{0}; // paint X of the last paint, for hit testing
    int FullHeight() const { return SpaceAbove + BoxHeight + SpaceBelow; }
};

class TSection : public TSectionBase {
public:
    TSection(TSectionList* document, TCellBasic* cell, bool useFirstIndent,
             const std::u16string& linkTarget, TProperties& properties,
             const TAttributeList* attributes);
    ~TSection() override;

    std::u16string Text;
    std::string BreakCodes;
    std::vector<int> SourceIndexes; // while building
    std::vector<IndexObj> SourceMap;
    std::vector<std::unique_ptr<TFontObj>> FontRuns;
    std::vector<LineRec> LineList;
    int Align{1}; // 1 left, 2 center, 3 right, 4 justify
    int LineHeightSetting{-1};
    int FirstIndent{0};
    int FirstIndentPercent{0};
    bool BreakWord{false};
    bool Preformatted{false};
    bool NoBreak{false}; // new characters get code 'n'
    int ClearMode{0};
    int Number{0};
    int CachedMinWidth{0};
    int CachedMaxWidth{0};
    bool HoldsAnchor{false};
    bool Finished{false};
    int TextTransform{0};
    std::u16string Id;

    void AddText(const TokenObj& token);
    void AddText(std::u16string_view text, int sourceIndex);
    void AddChar(char16_t ch, int sourceIndex);
    void ChangeFont(TProperties& properties);
    void MarkBreakOpportunity();
    // Runs once: spaces, soft hyphens and breaks tidied, the source map made.
    bool Finish(int sourceIndex) override;
    bool IsEmpty() const { return Text.empty(); }
    // The source index of a character position, from the source map.
    int SourceOfChar(int i) const;

    int Layout(THtmlCanvas& canvas, int x, int& pos, int& maxWidth, IndentManager& im, int width,
               int availHeight, int y) override;
    void MeasureWidths(THtmlCanvas& canvas, int& minWidth, int& maxWidth) override;
    void CollectSections(std::vector<TSection*>& list) override { list.push_back(this); }
    int Paint(THtmlCanvas& canvas, const TRect& clip, int x) override;
    int CursorAt(THtmlCanvas& canvas, int x, int y, bool& atChar, int& lineHeight, int& lineTop,
                 int& caretX) override;
    int PointOfCursor(THtmlCanvas& canvas, int pos, int& x, int& y) override;
    int CharAt(int pos, char16_t& ch, TSection*& section) override;
    void CopyText(int from, int to, std::u16string& out) const override;

    // The boxes of the document positions [from, to) that lie in this section, one per line,
    // in document coordinates as the last layout and paint placed them.
    std::vector<TRect> TextRects(THtmlCanvas& canvas, int from, int to);

    int FitChars(THtmlCanvas& canvas, IndentManager& im, int lineStart, int maxCount, int y, int x);
    int MeasureText(THtmlCanvas& canvas, int start, int count, bool stripTrailing);
    const TFontObj& RunAt(int i) const;

private:
    void FinishText(int sourceIndex);
    void DeleteChar(int i);
    void FinishLine(THtmlCanvas& canvas, IndentManager& im, LineRec& line, int lineStart, int n,
                    int& y, int x, bool lastLine);
    void PaintLine(THtmlCanvas& canvas, LineRec& line, int x, int& y, int viewTop);
    // Width of character i as painted on its line (justification included).
    int PaintedCharWidth(THtmlCanvas& canvas, const LineRec& line, int i, int& spacesSeen);
    int RunIndexAt(int i) const;
    int RunEnd(int run) const;
    // Offset of the next forced break at or after lineStart, or the text length.
    int NextForcedBreak(int lineStart);

    // [FBreakScanFrom, FBreakFound) holds no forced break; FBreakFound is one or the end.
    int FBreakScanFrom{0};
    int FBreakFound{-1};
};

} // namespace html
