#pragma once
// For the drawing code of platform/ only: the toolkit image behind a TBitmap.
#include "platform/bitmap.h"
#include "platform/canvas.h"

#include <QImage>

struct TBitmap::TImpl {
    QImage Image; // device pixels, carrying the ratio
    TBitmapFormat Format{bfOpaque};
    int LogicalWidth{0};
    int LogicalHeight{0};
    double Ratio{1};
    std::unique_ptr<TCanvas> OwnCanvas;
    // Finishes painting through the bitmap's canvas before its pixels are touched directly.
    void Flush();
    // Holds a decoded picture of the given ratio.
    void Take(const QImage& img, double ratio);
};

QImage::Format QtFormat(TBitmapFormat f);
