#pragma once
// The elements of a document and the containers that hold them.
#include "html/layout/htmlcanvas.h"
#include "platform/types.h"

#include <memory>
#include <string>
#include <vector>

namespace html {

class TSectionList;
class TSection;
class TBlock;

constexpr int InitialPaintTop = 999999999;

// Shows the message of an element that failed to lay out and is dropped (the document's
// OnProcessingError). Defined with the document, so that the containers need not know it.
void ReportProcessingError(TSectionList& document, const std::u16string& message);

// Where the usable part of a line begins and ends at a given Y.
class IndentManager {
public:
    struct IndentRec {
        int TopY{0};
        int BottomY{0};
        int X{0};
        const void* Owner{nullptr};
    };

    int Width{0};
    int LeftEdge{0};
    int RightEdge{0};
    std::vector<IndentRec> LeftIndents, RightIndents;
    const void* Owner{nullptr};

    void Init(int left, int right);
    void Reset();
    int LeftAt(int y) const;
    int RightAt(int y) const;
    int PushLeft(int x, int y);
    int PushRight(int x, int y);
    void PopLeft(int index);
    void PopRight(int index);
    // Floats only (records without owner); the details page has none.
    int FloatBottom() const;
    int NextWiderY(int y) const;
};

class TSectionBase {
public:
    explicit TSectionBase(TSectionList* document) : Document(document) {}
    virtual ~TSectionBase() = default;
    TSectionBase(const TSectionBase&) = delete;
    TSectionBase& operator=(const TSectionBase&) = delete;

    TSectionList* Document;
    int FirstPos{0};
    int PosCount{0};
    int LayoutTop{0};
    int FlowHeight{0};
    int PaintHeight{0};
    int InnerTop{0};
    int FlowBottom{0};
    int PaintBottom{0};
    int PaintTop{InitialPaintTop};
    int ZIndex{0};

    // Asked by the cell that takes the element: ends what was still being built. False when
    // nothing is left to show; the cell then drops the element.
    virtual bool Finish(int sourceIndex) { return true; }
    virtual int PaintTopOf() const { return PaintTop; }
    // Appends the plain text of the positions [from, to) that lie in the element: each section
    // a line of its own, a forced break a line break.
    virtual void CopyText(int from, int to, std::u16string& out) const {
        (void)from, (void)to, (void)out;
    }
    // Returns the height the element takes in the flow.
    virtual int Layout(THtmlCanvas& canvas, int x, int& pos, int& maxWidth, IndentManager& im,
                       int width, int availHeight, int y);
    // Returns the Y just below the element.
    virtual int Paint(THtmlCanvas& canvas, const TRect& clip, int x);
    virtual int CursorAt(THtmlCanvas& canvas, int x, int y, bool& atChar, int& lineHeight,
                         int& lineTop, int& caretX);
    virtual int PointOfCursor(THtmlCanvas& canvas, int pos, int& x, int& y);
    virtual int CharAt(int pos, char16_t& ch, TSection*& section);
    virtual void MeasureWidths(THtmlCanvas& canvas, int& minWidth, int& maxWidth);
    virtual void CollectSections(std::vector<TSection*>& list) { (void)list; }
};

// An ordered, owning list of elements.
class TCellBasic {
public:
    TCellBasic(TSectionList* document) : Document(document) {}
    virtual ~TCellBasic() = default;
    TCellBasic(const TCellBasic&) = delete;
    TCellBasic& operator=(const TCellBasic&) = delete;

    TSectionList* Document;
    IndentManager* Indents{nullptr};
    int LayoutTop{0};
    int FirstPos{0};
    int PosCount{0};
    int ContentBottom{0};
    int PaintTop{0};
    int PaintBottom{0};
    std::vector<std::unique_ptr<TSectionBase>> Items;

    // The element is finished first; one left with nothing to show is dropped.
    void AddSection(std::unique_ptr<TSectionBase> element, int sourceIndex);
    void ClearLastBottomMargin();
    int Count() const { return static_cast<int>(Items.size()); }
    TSectionBase* operator[](int i) const { return Items[i].get(); }

    int DoLayout(THtmlCanvas& canvas, int x, int& pos, int& maxWidth, IndentManager& im, int width,
                 int availHeight, int y);
    int DoPaint(THtmlCanvas& canvas, const TRect& clip, int x);
    void MeasureWidths(THtmlCanvas& canvas, int& minWidth, int& maxWidth);
    int CursorAt(THtmlCanvas& canvas, int x, int y, bool& atChar, int& lineHeight, int& lineTop,
                 int& caretX);
    int PointOfCursor(THtmlCanvas& canvas, int pos, int& x, int& y);
    int CharAt(int pos, char16_t& ch, TSection*& section);
    void CollectSections(std::vector<TSection*>& list);
    void CopyText(int from, int to, std::u16string& out) const;
};

// A container with an indent manager of its own.
class TCell : public TCellBasic {
public:
    explicit TCell(TSectionList* document) : TCellBasic(document) { Indents = &OwnIndents; }
    IndentManager OwnIndents;
};

// The content of a block; uses the indent manager it is handed.
class TBlockCell : public TCellBasic {
public:
    using TCellBasic::TCellBasic;
};

} // namespace html
