#include "platform/bitmap.h"
#include "platform/canvas.h"
#include "platform/qt/bitmap_qt.h"

#include <QFile>
#include <algorithm>

QImage::Format QtFormat(TBitmapFormat f) {
    return f == bfAlpha ? QImage::Format_ARGB32 : QImage::Format_RGB32;
}

void TBitmap::TImpl::Flush() {
    if (OwnCanvas)
        OwnCanvas->EndPaint();
}

TBitmap::TBitmap() : FImpl(std::make_unique<TImpl>()) {}

TBitmap::TBitmap(int width, int height, TBitmapFormat format) : TBitmap() {
    FImpl->Format = format;
    SetSize(width, height);
}

TBitmap::~TBitmap() {
    // The canvas goes first: it may still be painting on the image.
    FImpl->OwnCanvas.reset();
}

TBitmap::TBitmap(const TBitmap& other) : TBitmap() {
    *this = other;
}

TBitmap& TBitmap::operator=(const TBitmap& other) {
    if (this == &other)
        return *this;
    other.FImpl->Flush();
    FImpl->Flush();
    FImpl->Image = other.FImpl->Image.copy();
    FImpl->Format = other.FImpl->Format;
    return *this;
}

int TBitmap::Width() const {
    return FImpl->Image.width();
}
int TBitmap::Height() const {
    return FImpl->Image.height();
}
TBitmapFormat TBitmap::Format() const {
    return FImpl->Format;
}

void TBitmap::SetSize(int width, int height) {
    width = std::max(width, 0);
    height = std::max(height, 0);
    FImpl->Flush();
    if (width == Width() && height == Height() && !FImpl->Image.isNull()) {
        FImpl->Image.fill(0u);
        return;
    }
    if (width == 0 || height == 0) {
        FImpl->Image = QImage();
        return;
    }
    FImpl->Image = QImage(width, height, QtFormat(FImpl->Format));
    if (FImpl->Image.isNull())
        throw std::bad_alloc();
    FImpl->Image.fill(FImpl->Format == bfAlpha ? 0u : 0xFF000000u);
}

void TBitmap::SetFormat(TBitmapFormat format) {
    if (format == FImpl->Format)
        return;
    FImpl->Flush();
    FImpl->Format = format;
    if (!FImpl->Image.isNull())
        FImpl->Image = FImpl->Image.convertToFormat(QtFormat(format));
}

void TBitmap::Fill(TColor rgb, int alpha) {
    FImpl->Flush();
    if (FImpl->Format == bfOpaque)
        alpha = 255;
    FImpl->Image.fill(PixelFromColor(rgb, alpha));
}

TPixel* TBitmap::ScanLine(int y) {
    if (y < 0 || y >= Height())
        return nullptr;
    FImpl->Flush();
    return reinterpret_cast<TPixel*>(FImpl->Image.scanLine(y));
}

const TPixel* TBitmap::ScanLine(int y) const {
    if (y < 0 || y >= Height())
        return nullptr;
    FImpl->Flush();
    return reinterpret_cast<const TPixel*>(FImpl->Image.constScanLine(y));
}

TPixel TBitmap::PixelAt(int x, int y) const {
    if (x < 0 || x >= Width())
        return 0;
    const TPixel* row = ScanLine(y);
    return row ? row[x] : 0;
}

void TBitmap::SetPixel(int x, int y, TPixel p) {
    if (x < 0 || x >= Width())
        return;
    if (TPixel* row = ScanLine(y))
        row[x] = FImpl->Format == bfOpaque ? (p | 0xFF000000u) : p;
}

bool TBitmap::LoadFromData(const unsigned char* data, std::size_t size) {
    if (data == nullptr || size == 0 || size > static_cast<std::size_t>(INT32_MAX))
        return false;
    QImage img;
    if (!img.loadFromData(data, static_cast<int>(size)) || img.isNull())
        return false;
    FImpl->Flush();
    FImpl->Format = img.hasAlphaChannel() ? bfAlpha : bfOpaque;
    FImpl->Image = img.convertToFormat(QtFormat(FImpl->Format));
    return true;
}

bool TBitmap::LoadFromResource(const char* name) {
    if (name == nullptr)
        return false;
    QFile file(QString::fromUtf8(name));
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = file.readAll();
    return LoadFromData(reinterpret_cast<const unsigned char*>(bytes.constData()),
                        static_cast<std::size_t>(bytes.size()));
}

TCanvas& TBitmap::Canvas() {
    if (!FImpl->OwnCanvas)
        FImpl->OwnCanvas = std::make_unique<TCanvas>(*this);
    return *FImpl->OwnCanvas;
}
