#pragma once
// 32-bit off-screen bitmaps with direct pixel access. A bitmap is drawn on through its canvas
// and copied to a window (or to another bitmap) through a TCanvas.
#include "platform/types.h"
#include <cstddef>
#include <cstdint>
#include <memory>

class TCanvas;

enum class TBitmapFormat {
    bfOpaque, // 0xFFRRGGBB: the fourth byte is not used and stays 0xFF
    bfAlpha,  // 0xAARRGGBB, not premultiplied: drawn through its alpha channel
};
using enum TBitmapFormat;

// Pixel values as the scan lines hold them: blue, green, red, alpha in memory order.
using TPixel = std::uint32_t;
constexpr TPixel PixelFromColor(TColor rgb, int alpha = 255) {
    return (static_cast<TPixel>(alpha & 0xFF) << 24) | (static_cast<TPixel>(GetRValue(rgb)) << 16) |
           (static_cast<TPixel>(GetGValue(rgb)) << 8) | static_cast<TPixel>(GetBValue(rgb));
}
constexpr TColor ColorFromPixel(TPixel p) {
    return RGBColor(static_cast<int>((p >> 16) & 0xFF), static_cast<int>((p >> 8) & 0xFF),
                    static_cast<int>(p & 0xFF));
}
constexpr int AlphaOfPixel(TPixel p) {
    return static_cast<int>(p >> 24);
}

class TBitmap {
public:
    TBitmap();
    TBitmap(int width, int height, TBitmapFormat format = bfOpaque);
    ~TBitmap();
    TBitmap(const TBitmap& other);
    TBitmap& operator=(const TBitmap& other);

    int Width() const;
    int Height() const;
    bool Empty() const { return Width() == 0 || Height() == 0; }
    TBitmapFormat Format() const;
    // New contents are black (transparent black for bfAlpha); negative sizes count as 0.
    void SetSize(int width, int height);
    void SetFormat(TBitmapFormat format);
    void Fill(TColor rgb, int alpha = 255);

    // Direct access; any drawing through the canvas is finished first. Rows are Width()
    // pixels long. Out-of-range rows give nullptr.
    TPixel* ScanLine(int y);
    const TPixel* ScanLine(int y) const;
    // Checked single pixels: reads outside give 0, writes outside are ignored.
    TPixel PixelAt(int x, int y) const;
    TColor ColorAt(int x, int y) const { return ColorFromPixel(PixelAt(x, y)); }
    void SetPixel(int x, int y, TPixel p);

    // Decodes a picture in one of the toolkit's formats (BMP, PNG, ...); false when the data
    // is not a picture, in which case the bitmap is left as it was.
    bool LoadFromData(const unsigned char* data, std::size_t size);
    // The same for a picture compiled into the executable (the toolkit's resource names,
    // ":/..."); false when there is none of that name.
    bool LoadFromResource(const char* name);

    // The canvas that draws on this bitmap; it lives as long as the bitmap.
    TCanvas& Canvas();

    struct TImpl;
    TImpl& Impl() const { return *FImpl; }

private:
    std::unique_ptr<TImpl> FImpl;
};
