#pragma once
// The string tree: nodes show a text that the owner supplies through OnGetText.
#include "tree/basetree.h"
#include <string>

using TVSTGetTextEvent =
    std::function<void(TBaseVirtualTree* Sender, PVirtualNode Node, TColumnIndex Column,
                       TVSTTextType TextType, std::u16string& CellText)>;
// Measures a text in the tree's font, in pixels; replaces the font's own measure (tests stand
// in a fixed-width one with it).
using TTextWidthMeasure = std::function<int(const std::u16string& text)>;
using TVTPaintText =
    std::function<void(TBaseVirtualTree* Sender, TCanvas& TargetCanvas, PVirtualNode Node,
                       TColumnIndex Column, TVSTTextType TextType)>;
using TVTDrawTextEvent = std::function<void(
    TBaseVirtualTree* Sender, TCanvas& TargetCanvas, PVirtualNode Node, TColumnIndex Column,
    const std::u16string& Text, const TRect& CellRect, bool& DefaultDraw)>;
using TVTMeasureTextEvent =
    std::function<void(TBaseVirtualTree* Sender, PVirtualNode Node, TColumnIndex Column,
                       const std::u16string& CellText, int& Extent)>;

class TCustomVirtualStringTree : public TBaseVirtualTree {
public:
    TCustomVirtualStringTree();

    const std::u16string& DefaultText() const { return FDefaultText; }
    void SetDefaultText(std::u16string text);
    int TextMargin() const { return FTextMargin; }
    void SetTextMargin(int value);

    // The node's text as the owner gives it (DefaultText when the handler leaves it).
    std::u16string Text(PVirtualNode node, TColumnIndex column = NoColumn);
    // 2 * TextMargin plus the measured width of the node's text; cached per node.
    int NodeTextWidth(PVirtualNode node);
    void SetTextWidthMeasure(TTextWidthMeasure measure);
    // Puts the focused node's text on the clipboard; nothing without a focused node.
    void CopyToClipboard() override;

    TVSTGetTextEvent OnGetText;
    TVTPaintText OnPaintText;
    TVTDrawTextEvent OnDrawText;
    TVTMeasureTextEvent OnMeasureTextWidth;

protected:
    int GetNodeContentWidth(PVirtualNode node, TColumnIndex column) override;
    void ResetNodeCaches(PVirtualNode node) override;
    void DoPaintNode(TVTPaintInfo& paintInfo) override;
    int GetTextMargin() const override { return FTextMargin; }
    std::u16string AccessibleNodeName(PVirtualNode node) override { return Text(node); }

private:
    std::uint32_t& CachedTextWidth(PVirtualNode node) const;
    int MeasureText(PVirtualNode node, const std::u16string& text, const TPlatformFont* font);

    unsigned InternalDataOffset{0};
    std::u16string FDefaultText{u"Node"};
    int FTextMargin{4};
    TTextWidthMeasure Measure;
};

class TVirtualStringTree : public TCustomVirtualStringTree {
public:
    using TCustomVirtualStringTree::TCustomVirtualStringTree;
};
