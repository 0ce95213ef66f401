// TBitmap as a top-down 32-bit DIB section; pictures decoded by the Windows Imaging Component.
#include "platform/win32/bitmap_win32.h"
#include "platform/resources.h"
#include "platform/shared_parts.h"
#include "platform/win32/wic.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

TBitmap::TImpl::~TImpl() {
    Release();
}

void TBitmap::TImpl::Release() {
    if (Dc != nullptr) {
        SelectObject(Dc, OldBitmap);
        DeleteDC(Dc);
        Dc = nullptr;
    }
    if (Dib != nullptr)
        DeleteObject(Dib);
    Dib = nullptr;
    Bits = nullptr;
    DeviceWidth = DeviceHeight = 0;
}

void TBitmap::TImpl::Allocate(int deviceWidth, int deviceHeight, TPixel fill) {
    Release();
    if (deviceWidth <= 0 || deviceHeight <= 0)
        return;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = deviceWidth;
    info.bmiHeader.biHeight = -deviceHeight; // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    Dib = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (Dib == nullptr || bits == nullptr) {
        Dib = nullptr;
        throw std::bad_alloc();
    }
    Bits = static_cast<TPixel*>(bits);
    DeviceWidth = deviceWidth;
    DeviceHeight = deviceHeight;
    std::fill_n(Bits, static_cast<std::size_t>(deviceWidth) * deviceHeight, fill);
}

HDC TBitmap::TImpl::DeviceContext() {
    if (Dib == nullptr)
        return nullptr;
    if (Dc == nullptr) {
        Dc = CreateCompatibleDC(nullptr);
        if (Dc == nullptr)
            return nullptr;
        OldBitmap = SelectObject(Dc, Dib);
    }
    return Dc;
}

void TBitmap::TImpl::Flush() const {
    if (Dc != nullptr)
        GdiFlush();
}

HBITMAP win32::BitmapHandle(const TBitmap& bitmap) {
    return bitmap.Impl().Dib;
}

HDC win32::BitmapDC(const TBitmap& bitmap) {
    return bitmap.Impl().DeviceContext();
}

TBitmap::TBitmap() : FImpl(std::make_unique<TImpl>()) {}

TBitmap::~TBitmap() {
    FImpl->OwnCanvas.reset();
}

TBitmap& TBitmap::operator=(const TBitmap& other) {
    if (this == &other)
        return *this;
    const TImpl& o = *other.FImpl;
    o.Flush();
    FImpl->Format = o.Format;
    FImpl->LogicalWidth = o.LogicalWidth;
    FImpl->LogicalHeight = o.LogicalHeight;
    FImpl->Ratio = o.Ratio;
    if (o.Bits == nullptr) {
        FImpl->Release();
        return *this;
    }
    if (FImpl->DeviceWidth != o.DeviceWidth || FImpl->DeviceHeight != o.DeviceHeight)
        FImpl->Allocate(o.DeviceWidth, o.DeviceHeight, 0);
    FImpl->Flush();
    std::memcpy(FImpl->Bits, o.Bits, static_cast<std::size_t>(o.DeviceWidth) * o.DeviceHeight * 4);
    return *this;
}

int TBitmap::Width() const {
    return FImpl->Bits == nullptr ? 0 : FImpl->LogicalWidth;
}
int TBitmap::Height() const {
    return FImpl->Bits == nullptr ? 0 : FImpl->LogicalHeight;
}
int TBitmap::DeviceWidth() const {
    return FImpl->DeviceWidth;
}
int TBitmap::DeviceHeight() const {
    return FImpl->DeviceHeight;
}
TBitmapFormat TBitmap::Format() const {
    return FImpl->Format;
}
double TBitmap::PixelRatio() const {
    return FImpl->Ratio;
}

void TBitmap::SetPixelRatio(double ratio) {
    ratio = ClampPixelRatio(ratio);
    if (ratio == FImpl->Ratio)
        return;
    FImpl->Ratio = ratio;
    const int w = FImpl->LogicalWidth, h = FImpl->LogicalHeight;
    FImpl->Release();
    SetSize(w, h);
}

void TBitmap::SetSize(int width, int height) {
    width = std::max(width, 0);
    height = std::max(height, 0);
    const TPixel clear = FImpl->Format == bfAlpha ? 0u : 0xFF000000u;
    FImpl->Flush();
    if (width == Width() && height == Height() && FImpl->Bits != nullptr) {
        std::fill_n(FImpl->Bits, static_cast<std::size_t>(DeviceWidth()) * DeviceHeight(), clear);
        return;
    }
    FImpl->LogicalWidth = width;
    FImpl->LogicalHeight = height;
    if (width == 0 || height == 0) {
        FImpl->Release();
        return;
    }
    const double r = FImpl->Ratio;
    FImpl->Allocate(DeviceLength(width, r), DeviceLength(height, r), clear);
}

void TBitmap::SetFormat(TBitmapFormat format) {
    if (format == FImpl->Format)
        return;
    FImpl->Flush();
    FImpl->Format = format;
    // As a conversion does: an opaque bitmap has no transparency left.
    if (format == bfOpaque && FImpl->Bits != nullptr)
        for (std::size_t i = 0, n = static_cast<std::size_t>(DeviceWidth()) * DeviceHeight(); i < n;
             ++i)
            FImpl->Bits[i] |= 0xFF000000u;
}

void TBitmap::Fill(TColor rgb, int alpha) {
    FImpl->Flush();
    if (FImpl->Format == bfOpaque)
        alpha = 255;
    if (FImpl->Bits != nullptr)
        std::fill_n(FImpl->Bits, static_cast<std::size_t>(DeviceWidth()) * DeviceHeight(),
                    PixelFromColor(rgb, alpha));
}

TPixel* TBitmap::ScanLine(int y) {
    if (y < 0 || y >= DeviceHeight())
        return nullptr;
    FImpl->Flush();
    return FImpl->Bits + static_cast<std::size_t>(y) * DeviceWidth();
}

const TPixel* TBitmap::ScanLine(int y) const {
    if (y < 0 || y >= DeviceHeight())
        return nullptr;
    FImpl->Flush();
    return FImpl->Bits + static_cast<std::size_t>(y) * DeviceWidth();
}

namespace {

// Holds a decoded picture of the given ratio.
bool Take(TBitmap::TImpl& impl, const win32::TDecodedPicture& picture, double ratio) {
    if (picture.Width <= 0 || picture.Height <= 0)
        return false;
    impl.Allocate(picture.Width, picture.Height, 0);
    std::memcpy(impl.Bits, picture.Pixels.data(), picture.Pixels.size() * sizeof(TPixel));
    impl.Format = picture.HasAlpha ? bfAlpha : bfOpaque;
    impl.Ratio = ratio;
    impl.LogicalWidth = DeviceLength(picture.Width, 1 / ratio);
    impl.LogicalHeight = DeviceLength(picture.Height, 1 / ratio);
    return true;
}

// Pictures travel in the embedded resource table under the toolkit's resource path without
// its ":/" ("pictures/logo.png" for ":/pictures/logo.png"); resources/table.cpp names them so.
const TEmbeddedResource* FindPicture(const std::string& name) {
    const std::string_view key =
        name.starts_with(":/") ? std::string_view(name).substr(2) : std::string_view(name);
    return FindEmbeddedResource(key);
}

bool LoadResourceAt(TBitmap::TImpl& impl, const std::string& name, double ratio) {
    const TEmbeddedResource* res = FindPicture(name);
    if (res == nullptr)
        return false;
    win32::TDecodedPicture picture;
    if (!win32::DecodePicture(res->Data, res->Size, picture))
        return false;
    return Take(impl, picture, ratio);
}

} // namespace

bool TBitmap::LoadFromData(const unsigned char* data, std::size_t size) {
    win32::TDecodedPicture picture;
    if (!win32::DecodePicture(data, size, picture))
        return false;
    FImpl->Flush();
    return Take(*FImpl, picture, 1);
}

bool TBitmap::LoadFromResource(const char* name, double ratio) {
    if (name == nullptr)
        return false;
    FImpl->Flush();
    if (ratio > 1 && LoadResourceAt(*FImpl, PictureForRatio(name, ratio), 2))
        return true;
    return LoadResourceAt(*FImpl, name, 1);
}

TCanvas& TBitmap::Canvas() {
    if (!FImpl->OwnCanvas)
        FImpl->OwnCanvas = std::make_unique<TCanvas>(*this);
    return *FImpl->OwnCanvas;
}
