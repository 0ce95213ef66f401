#pragma once
// The drawing surface a control paints on during a paint request. The drawing operations
// (fills, lines, text, bitmaps, clipping) are added with the painting services; for now a
// canvas only knows the rectangle it may paint.
#include "platform/types.h"

class QPainter;

class TCanvas {
public:
    TCanvas(QPainter& painter, const TRect& clip) : Painter(painter), Clip(clip) {}
    TCanvas(const TCanvas&) = delete;
    TCanvas& operator=(const TCanvas&) = delete;

    const TRect& ClipRect() const { return Clip; }
    QPainter& Handle() const { return Painter; }

private:
    QPainter& Painter;
    TRect Clip;
};
