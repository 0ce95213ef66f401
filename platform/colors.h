#pragma once
// Turning the colour values of the system (0x00BBGGRR, 0xFF0000nn system colours) into RGB.
#include "platform/types.h"

// The RGB value of system colour number index: from the application palette where a palette
// role matches the colour's meaning, a fixed value otherwise (and while no application
// exists). Numbers outside the table give black.
TColor GetSysColor(int index);

// A system colour becomes its RGB value; any other value (clNone included) comes back as is.
TColor ColorToRGB(TColor color);

// The contrast ratio of two colours, 1 to 21, from their relative luminance (sRGB).
double ContrastRatio(TColor a, TColor b);

// The least contrast a text needs against its background to be read (4.5:1).
constexpr double ReadableContrast = 4.5;

// preferred where it reads on background; else fallback where that reads; else black or white,
// whichever reads better.
TColor ReadableTextColor(TColor preferred, TColor background, TColor fallback);
