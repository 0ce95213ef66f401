#pragma once
// For the Qt code of platform/ only: the window surface a control host paints through.
#include "platform/canvas.h"

#include <QPainter>

struct TCanvas::TDevice {
    QPainter& Painter;
};
