#include "platform/imagelist.h"
#include "platform/canvas.h"
#include "platform/colors.h"
#include <algorithm>

TImageList::TImageList(int width, int height)
    : FWidth(std::max(width, 1)), FHeight(std::max(height, 1)) {}

int TImageList::Add(const TBitmap& image) {
    // An entry keeps the picture's ratio, so that a drawing at twice the size stays sharp.
    TBitmap entry;
    entry.SetFormat(bfAlpha);
    entry.SetPixelRatio(image.PixelRatio());
    entry.SetSize(FWidth, FHeight);
    const int w = std::min(entry.DeviceWidth(), image.DeviceWidth());
    const int h = std::min(entry.DeviceHeight(), image.DeviceHeight());
    for (int y = 0; y < h; ++y) {
        const TPixel* src = image.ScanLine(y);
        TPixel* dst = entry.ScanLine(y);
        for (int x = 0; x < w; ++x)
            dst[x] = image.Format() == bfOpaque ? (src[x] | 0xFF000000u) : src[x];
    }
    Images.push_back(std::move(entry));
    return Count() - 1;
}

int TImageList::AddMasked(const TBitmap& image, TColor keyColor) {
    const int index = Add(image);
    const TPixel key = PixelFromColor(ColorToRGB(keyColor)) & 0x00FFFFFFu;
    TBitmap& entry = Images.back();
    for (int y = 0; y < entry.DeviceHeight(); ++y) {
        TPixel* row = entry.ScanLine(y);
        for (int x = 0; x < entry.DeviceWidth(); ++x)
            if ((row[x] & 0x00FFFFFFu) == key)
                row[x] = 0;
    }
    return index;
}

const TBitmap* TImageList::Image(int index) const {
    if (index < 0 || index >= Count())
        return nullptr;
    return &Images[static_cast<std::size_t>(index)];
}

void TImageList::SetOverlayImage(int imageIndex, int overlay) {
    if (overlay >= 1 && overlay <= 15)
        Overlays[overlay] = imageIndex;
}

int TImageList::OverlayImage(int overlay) const {
    return overlay >= 1 && overlay <= 15 ? Overlays[overlay] : -1;
}

void TImageList::Draw(TCanvas& canvas, int x, int y, int index, TImageDrawStyle style,
                      TColor blendColor, int overlay) const {
    const TBitmap* image = Image(index);
    if (image == nullptr)
        return;
    switch (style) {
    case idNormal:
        canvas.Draw(x, y, *image);
        break;
    case idBlend50:
        canvas.DrawBlended(x, y, *image, blendColor == clNone ? FBlendColor : blendColor);
        break;
    case idDisabled: {
        // Grey of the same brightness, half transparent.
        TBitmap grey(*image);
        for (int row = 0; row < grey.DeviceHeight(); ++row) {
            TPixel* p = grey.ScanLine(row);
            for (int col = 0; col < grey.DeviceWidth(); ++col) {
                const TColor c = ColorFromPixel(p[col]);
                const int l =
                    (GetRValue(c) * 30 + GetGValue(c) * 59 + GetBValue(c) * 11 + 50) / 100;
                p[col] = PixelFromColor(RGBColor(l, l, l), AlphaOfPixel(p[col]) / 2);
            }
        }
        canvas.Draw(x, y, grey);
        break;
    }
    }
    if (const TBitmap* over = Image(OverlayImage(overlay)))
        canvas.Draw(x, y, *over);
}
