#pragma once
// A list of pictures of one size, drawn through their transparency by index.
#include "platform/bitmap.h"
#include <vector>

class TCanvas;

enum class TImageDrawStyle {
    idNormal,   // through the picture's alpha or mask
    idBlend50,  // as idNormal, then half blended with the blend colour
    idDisabled, // greyed
};
using enum TImageDrawStyle;

class TImageList {
public:
    TImageList(int width, int height);

    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    int Count() const { return static_cast<int>(Images.size()); }

    // Adds a picture; a picture of another size is cropped or padded (transparent) to the
    // list's size. Returns its index.
    int Add(const TBitmap& image);
    // Adds a picture whose pixels of the key colour are transparent.
    int AddMasked(const TBitmap& image, TColor keyColor);
    void Clear() { Images.clear(); }
    const TBitmap* Image(int index) const;

    // Overlay numbers 1..15 name images of the list drawn over another one.
    void SetOverlayImage(int imageIndex, int overlay);
    // The image registered as the overlay, -1 for none.
    int OverlayImage(int overlay) const;

    // Used by idBlend50 when the caller passes clNone; the selection colour by default.
    TColor BlendColor() const { return FBlendColor; }
    void SetBlendColor(TColor c) { FBlendColor = c; }

    // Draws image index at (x, y); an index out of range draws nothing. overlay 1..15 draws
    // that overlay image on top.
    void Draw(TCanvas& canvas, int x, int y, int index, TImageDrawStyle style = idNormal,
              TColor blendColor = clNone, int overlay = 0) const;

private:
    int FWidth;
    int FHeight;
    std::vector<TBitmap> Images; // bfAlpha, all of the list's size
    int Overlays[16]{-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1};
    TColor FBlendColor{clHighlight};
};
