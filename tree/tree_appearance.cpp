// The appearance settings and what is made from them: the line pattern and the buttons.
#include "tree/tree_appearance.h"
#include "platform/colors.h"
#include "tree/tree_geometry.h"

TTreeAppearance::TTreeAppearance() {
    BuildLinePattern();
}

bool TTreeAppearance::SetColor(TColor value) {
    if (!Assign(FColor, value))
        return false;
    FButtonsDirty = true; // the button interior
    return true;
}

void TTreeAppearance::SetFont(const TFontSpec& font, TColor color) {
    FFont = font;
    FFontColor = color;
    FPlatformFont.reset();
    FButtonsDirty = true; // the strokes use the font colour
}

const std::shared_ptr<const TPlatformFont>& TTreeAppearance::PlatformFont() const {
    if (!FPlatformFont)
        FPlatformFont = std::make_shared<const TPlatformFont>(FFont);
    return FPlatformFont;
}

bool TTreeAppearance::SetColors(const TVTColors& colors) {
    if (!Assign(FColors, colors))
        return false;
    FButtonsDirty = true; // the button outline is the tree line colour
    return true;
}

bool TTreeAppearance::SetButtonFillMode(TVTButtonFillMode value) {
    if (!Assign(FButtonFillMode, value))
        return false;
    FButtonsDirty = true;
    return true;
}

// ---- line pattern ----------------------------------------------------------------------------

bool TTreeAppearance::SetLineStyle(TVTLineStyle value) {
    if (!Assign(FLineStyle, value))
        return false;
    BuildLinePattern();
    return true;
}

void TTreeAppearance::SetCustomLinePattern(const TPattern8x8& pattern) {
    FCustomLinePattern = pattern;
    BuildLinePattern();
}

void TTreeAppearance::BuildLinePattern() {
    switch (FLineStyle) {
    case lsDotted:
        for (int row = 0; row < 8; ++row)
            FLinePattern[static_cast<std::size_t>(row)] = (row % 2 == 0) ? 0x55 : 0xAA;
        break;
    case lsSolid:
        FLinePattern.fill(0);
        break;
    case lsCustomStyle:
        FLinePattern = FCustomLinePattern;
        break;
    }
}

// ---- buttons ---------------------------------------------------------------------------------

void TTreeAppearance::BuildButtons() {
    const int size = TRowGeometry::ButtonWidth;
    const TPixel outline = PixelFromColor(ColorToRGB(FColors.TreeLineColor));
    const TPixel interior =
        PixelFromColor(ColorToRGB(FButtonFillMode == fmWindowColor ? clWindow : FColor));
    const TPixel stroke = PixelFromColor(ColorToRGB(FFontColor));
    for (TBitmap* bm : {&FMinusBM, &FPlusBM}) {
        bm->SetFormat(bfOpaque);
        bm->SetSize(size, size);
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x) {
                const bool edge = x == 0 || y == 0 || x == size - 1 || y == size - 1;
                bm->SetPixel(x, y, edge ? outline : interior);
            }
        for (int x = 2; x <= 6; ++x)
            bm->SetPixel(x, 4, stroke);
    }
    for (int y = 2; y <= 6; ++y)
        FPlusBM.SetPixel(4, y, stroke);
    FButtonsDirty = false;
}

const TBitmap& TTreeAppearance::PlusButton() {
    if (FButtonsDirty)
        BuildButtons();
    return FPlusBM;
}

const TBitmap& TTreeAppearance::MinusButton() {
    if (FButtonsDirty)
        BuildButtons();
    return FMinusBM;
}
