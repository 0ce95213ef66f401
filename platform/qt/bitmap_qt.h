#pragma once
// For the drawing code of platform/ only: the toolkit image behind a TBitmap.
#include "platform/bitmap.h"
#include "platform/canvas.h"

#include <QImage>

struct TBitmap::TImpl {
    QImage Image;
    TBitmapFormat Format{bfOpaque};
    std::unique_ptr<TCanvas> OwnCanvas;
    // Finishes painting through the bitmap's canvas before its pixels are touched directly.
    void Flush();
};

QImage::Format QtFormat(TBitmapFormat f);
