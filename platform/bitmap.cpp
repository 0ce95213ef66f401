// The parts of TBitmap that need no backend: device arithmetic, copies, single pixels.
#include "platform/bitmap.h"
#include "platform/shared_parts.h"

#include <algorithm>
#include <cmath>

std::string PictureForRatio(const char* name, double ratio) {
    std::string s = name ? name : "";
    if (ratio <= 1 || s.empty())
        return s;
    const std::size_t dot = s.rfind('.');
    const std::size_t slash = s.rfind('/');
    const bool extension = dot != std::string::npos && (slash == std::string::npos || dot > slash);
    return s.insert(extension ? dot : s.size(), "@2x");
}

int DeviceLength(int logical, double ratio) {
    return ratio == 1 ? logical : static_cast<int>(std::ceil(logical * ratio - 1e-9));
}

int DeviceEdge(int logical, double ratio) {
    return ratio == 1 ? logical : static_cast<int>(std::lround(logical * ratio));
}

double ClampPixelRatio(double ratio) {
    return std::isfinite(ratio) ? std::clamp(ratio, 1.0, 8.0) : 1.0;
}

TBitmap::TBitmap(int width, int height, TBitmapFormat format) : TBitmap() {
    SetFormat(format);
    SetSize(width, height);
}

TBitmap::TBitmap(const TBitmap& other) : TBitmap() {
    *this = other;
}

TRect TBitmap::DeviceRect(const TRect& logical) const {
    const double r = PixelRatio();
    TRect d{std::max(DeviceEdge(logical.Left, r), 0), std::max(DeviceEdge(logical.Top, r), 0),
            std::min(DeviceEdge(logical.Right, r), DeviceWidth()),
            std::min(DeviceEdge(logical.Bottom, r), DeviceHeight())};
    return d.IsEmpty() ? TRect{} : d;
}

TPixel TBitmap::PixelAt(int x, int y) const {
    if (x < 0 || x >= DeviceWidth())
        return 0;
    const TPixel* row = ScanLine(y);
    return row ? row[x] : 0;
}

void TBitmap::SetPixel(int x, int y, TPixel p) {
    if (x < 0 || x >= DeviceWidth())
        return;
    if (TPixel* row = ScanLine(y))
        row[x] = Format() == bfOpaque ? (p | 0xFF000000u) : p;
}
