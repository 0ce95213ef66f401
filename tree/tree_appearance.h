#pragma once
// The tree's appearance settings: colours, font, line style, margins, images and the background
// picture, with the button bitmaps and the line pattern made from them. A setter answers whether
// anything changed; what has to be repainted or measured again is the tree's business.
#include "platform/bitmap.h"
#include "platform/canvas.h"
#include "platform/font.h"
#include "platform/imagelist.h"
#include "tree/paint_types.h"
#include <algorithm>
#include <memory>

class TTreeAppearance {
public:
    TTreeAppearance();

    TColor Color() const { return FColor; }
    bool SetColor(TColor value);
    const TFontSpec& Font() const { return FFont; }
    TColor FontColor() const { return FFontColor; }
    void SetFont(const TFontSpec& font, TColor color);
    // Made on first use and kept until the font changes.
    const std::shared_ptr<const TPlatformFont>& PlatformFont() const;

    TImageList* Images() const { return FImages; }
    bool SetImages(TImageList* images) { return Assign(FImages, images); }
    TImageList* StateImages() const { return FStateImages; }
    void SetStateImages(TImageList* images) { FStateImages = images; }
    TVTColors& Colors() { return FColors; }
    const TVTColors& Colors() const { return FColors; }
    bool SetColors(const TVTColors& colors);

    TVTLineStyle LineStyle() const { return FLineStyle; }
    bool SetLineStyle(TVTLineStyle value);
    void SetCustomLinePattern(const TPattern8x8& pattern);
    const TPattern8x8& LinePattern() const { return FLinePattern; }
    TVTLineMode LineMode() const { return FLineMode; }
    void SetLineMode(TVTLineMode value) { FLineMode = value; }
    TVTButtonStyle ButtonStyle() const { return FButtonStyle; }
    void SetButtonStyle(TVTButtonStyle value) { FButtonStyle = value; }
    TVTButtonFillMode ButtonFillMode() const { return FButtonFillMode; }
    bool SetButtonFillMode(TVTButtonFillMode value);
    // The plus and minus buttons, made again after a change of the colours they use.
    const TBitmap& PlusButton();
    const TBitmap& MinusButton();

    TVTNodeAlignment NodeAlignment() const { return FNodeAlignment; }
    bool SetNodeAlignment(TVTNodeAlignment value) { return Assign(FNodeAlignment, value); }
    TAlignment Alignment() const { return FAlignment; }
    bool SetAlignment(TAlignment value) { return Assign(FAlignment, value); }
    TBiDiMode BiDiMode() const { return FBiDiMode; }
    bool SetBiDiMode(TBiDiMode value) { return Assign(FBiDiMode, value); }
    int Indent() const { return FIndent; }
    bool SetIndent(int value) { return Assign(FIndent, std::max(value, 0)); }
    int Margin() const { return FMargin; }
    bool SetMargin(int value) { return Assign(FMargin, std::max(value, 0)); }

    TVTDrawSelectionMode DrawSelectionMode() const { return FDrawSelectionMode; }
    bool SetDrawSelectionMode(TVTDrawSelectionMode value) {
        return Assign(FDrawSelectionMode, value);
    }
    int SelectionBlendFactor() const { return FSelectionBlendFactor; }
    bool SetSelectionBlendFactor(int value) {
        return Assign(FSelectionBlendFactor, std::clamp(value, 0, 255));
    }
    int SelectionCurveRadius() const { return FSelectionCurveRadius; }
    bool SetSelectionCurveRadius(int value) {
        return Assign(FSelectionCurveRadius, std::max(value, 0));
    }
    bool BlendingAvailable() const { return FBlendingAvailable; }
    bool SetBlendingAvailable(bool value) { return Assign(FBlendingAvailable, value); }

    const TBitmap& Background() const { return FBackground; }
    void SetBackground(const TBitmap& picture) { FBackground = picture; }
    int BackgroundOffsetX() const { return FBackgroundOffsetX; }
    int BackgroundOffsetY() const { return FBackgroundOffsetY; }
    bool SetBackgroundOffsetX(int value) { return Assign(FBackgroundOffsetX, value); }
    bool SetBackgroundOffsetY(int value) { return Assign(FBackgroundOffsetY, value); }
    TFormBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TFormBorderStyle value) { FBorderStyle = value; }

private:
    template <class T> static bool Assign(T& field, const T& value) {
        if (field == value)
            return false;
        field = value;
        return true;
    }
    void BuildButtons();
    void BuildLinePattern();

    TColor FColor{clWindow};
    TFontSpec FFont{u"MS Sans Serif", -11, FW_NORMAL, false, false, false, RUSSIAN_CHARSET};
    TColor FFontColor{clWindowText};
    mutable std::shared_ptr<const TPlatformFont> FPlatformFont;
    TImageList* FImages{nullptr};
    TImageList* FStateImages{nullptr};
    TVTColors FColors;
    TVTLineStyle FLineStyle{lsDotted};
    TPattern8x8 FLinePattern{};
    TPattern8x8 FCustomLinePattern{};
    TVTLineMode FLineMode{lmNormal};
    TVTButtonStyle FButtonStyle{bsRectangle};
    TVTButtonFillMode FButtonFillMode{fmTreeColor};
    TBitmap FPlusBM, FMinusBM;
    bool FButtonsDirty{true};
    TVTNodeAlignment FNodeAlignment{naProportional};
    TAlignment FAlignment{taLeftJustify};
    TBiDiMode FBiDiMode{bdLeftToRight};
    int FIndent{18};
    int FMargin{4};
    TVTDrawSelectionMode FDrawSelectionMode{smDottedRectangle};
    int FSelectionBlendFactor{128};
    int FSelectionCurveRadius{0};
    bool FBlendingAvailable{true};
    TBitmap FBackground;
    int FBackgroundOffsetX{0};
    int FBackgroundOffsetY{0};
    TFormBorderStyle FBorderStyle{bsSingle};
};
