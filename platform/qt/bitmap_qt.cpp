#include "platform/qt/bitmap_qt.h"
#include "platform/bitmap.h"
#include "platform/canvas.h"
#include "platform/shared_parts.h"

#include <QFile>
#include <algorithm>
#include <cmath>

QImage::Format QtFormat(TBitmapFormat f) {
    return f == bfAlpha ? QImage::Format_ARGB32 : QImage::Format_RGB32;
}

void TBitmap::TImpl::Flush() {
    if (OwnCanvas)
        OwnCanvas->EndPaint();
}

TBitmap::TBitmap() : FImpl(std::make_unique<TImpl>()) {}

TBitmap::~TBitmap() {
    // The canvas goes first: it may still be painting on the image.
    FImpl->OwnCanvas.reset();
}

TBitmap& TBitmap::operator=(const TBitmap& other) {
    if (this == &other)
        return *this;
    other.FImpl->Flush();
    FImpl->Flush();
    FImpl->Image = other.FImpl->Image.copy();
    FImpl->Format = other.FImpl->Format;
    FImpl->LogicalWidth = other.FImpl->LogicalWidth;
    FImpl->LogicalHeight = other.FImpl->LogicalHeight;
    FImpl->Ratio = other.FImpl->Ratio;
    return *this;
}

int TBitmap::Width() const {
    return FImpl->Image.isNull() ? 0 : FImpl->LogicalWidth;
}
int TBitmap::Height() const {
    return FImpl->Image.isNull() ? 0 : FImpl->LogicalHeight;
}
int TBitmap::DeviceWidth() const {
    return FImpl->Image.width();
}
int TBitmap::DeviceHeight() const {
    return FImpl->Image.height();
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
    FImpl->Flush();
    FImpl->Ratio = ratio;
    const int w = Width(), h = Height();
    FImpl->Image = QImage();
    SetSize(w, h);
}

void TBitmap::SetSize(int width, int height) {
    width = std::max(width, 0);
    height = std::max(height, 0);
    FImpl->Flush();
    if (width == Width() && height == Height() && !FImpl->Image.isNull()) {
        FImpl->Image.fill(0u);
        return;
    }
    FImpl->LogicalWidth = width;
    FImpl->LogicalHeight = height;
    if (width == 0 || height == 0) {
        FImpl->Image = QImage();
        return;
    }
    const double r = FImpl->Ratio;
    FImpl->Image = QImage(DeviceLength(width, r), DeviceLength(height, r), QtFormat(FImpl->Format));
    if (FImpl->Image.isNull())
        throw std::bad_alloc();
    FImpl->Image.setDevicePixelRatio(r);
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
    if (y < 0 || y >= DeviceHeight())
        return nullptr;
    FImpl->Flush();
    return reinterpret_cast<TPixel*>(FImpl->Image.scanLine(y));
}

const TPixel* TBitmap::ScanLine(int y) const {
    if (y < 0 || y >= DeviceHeight())
        return nullptr;
    FImpl->Flush();
    return reinterpret_cast<const TPixel*>(FImpl->Image.constScanLine(y));
}

namespace {

QImage DecodePicture(const unsigned char* data, std::size_t size) {
    QImage img;
    if (data == nullptr || size == 0 || size > static_cast<std::size_t>(INT32_MAX))
        return img;
    img.loadFromData(data, static_cast<int>(size));
    return img;
}

QImage ReadResource(const QString& name) {
    QFile file(name);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.readAll();
    return DecodePicture(reinterpret_cast<const unsigned char*>(bytes.constData()),
                         static_cast<std::size_t>(bytes.size()));
}

} // namespace

void TBitmap::TImpl::Take(const QImage& img, double ratio) {
    Flush();
    Format = img.hasAlphaChannel() ? bfAlpha : bfOpaque;
    Image = img.convertToFormat(QtFormat(Format));
    Ratio = ratio;
    Image.setDevicePixelRatio(ratio);
    LogicalWidth = DeviceLength(Image.width(), 1 / ratio);
    LogicalHeight = DeviceLength(Image.height(), 1 / ratio);
}

bool TBitmap::LoadFromData(const unsigned char* data, std::size_t size) {
    const QImage img = DecodePicture(data, size);
    if (img.isNull())
        return false;
    FImpl->Take(img, 1);
    return true;
}

bool TBitmap::LoadFromResource(const char* name, double ratio) {
    if (name == nullptr)
        return false;
    const QString base = QString::fromUtf8(name);
    if (ratio > 1) {
        const QImage img = ReadResource(QString::fromStdString(PictureForRatio(name, ratio)));
        if (!img.isNull()) {
            FImpl->Take(img, 2);
            return true;
        }
    }
    const QImage img = ReadResource(base);
    if (img.isNull())
        return false;
    FImpl->Take(img, 1);
    return true;
}

TCanvas& TBitmap::Canvas() {
    if (!FImpl->OwnCanvas)
        FImpl->OwnCanvas = std::make_unique<TCanvas>(*this);
    return *FImpl->OwnCanvas;
}
