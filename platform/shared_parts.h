#pragma once
// For the backends of platform/ only: the arithmetic both of them draw and measure with, kept
// once in the backend-free sources (named beside each). No toolkit type belongs here.
#include "platform/cursors.h"
#include "platform/types.h"

#include <functional>
#include <string_view>
#include <vector>

// canvas.cpp: the overlap of two rectangles, the empty rectangle where they do not meet.
TRect IntersectRects(const TRect& a, const TRect& b);

// canvas.cpp: a run drawn with extraWidth pixels spread over its breakCount breaks (U+0020,
// U+00A0). Without extra width or breaks draw gets the whole run at offset 0; else the pieces
// up to and including each break, each break widened, the first breaks taking the pixels that
// do not divide evenly. width measures a piece; draw gets each non-empty piece and its offset
// from the start of the run.
void DrawJustifiedRun(std::u16string_view text, int extraWidth, int breakCount,
                      const std::function<int(std::u16string_view)>& width,
                      const std::function<void(int offset, std::u16string_view piece)>& draw);

// canvas.cpp: the dots of the focus frame just inside the device rectangle d that lie in the
// clip: every other pixel from the top-left one, the top and bottom rows first, then the sides.
void ForEachFocusDot(const TRect& d, const TRect& clip,
                     const std::function<void(int x, int y)>& dot);

// bitmap.cpp: the device edge of a logical coordinate at the ratio, and the device length of a
// logical length (rounded up, so that a bitmap covers every logical pixel).
int DeviceEdge(int logical, double ratio);
int DeviceLength(int logical, double ratio);
// bitmap.cpp: a bitmap's pixel ratio, from 1 to 8 (1 for one that is not a number).
double ClampPixelRatio(double ratio);

// cursors.cpp: the directions of the arrows of a panning picture, in degrees counter-clockwise
// from east; none for the other shapes.
std::vector<int> PanningArrowAngles(TCursor kind);

// font.cpp: how many prefixes of a run fit into maxWidth, given the width of each prefix 1..n
// (never decreasing).
int FittingPrefixes(const std::vector<int>& extents, int maxWidth);
