#pragma once
// Turning the colour values of the system (0x00BBGGRR, 0xFF0000nn system colours) into RGB.
#include "platform/types.h"

// The RGB value of system colour number index: from the application palette where a palette
// role matches the colour's meaning, a fixed value otherwise (and while no application
// exists). Numbers outside the table give black.
TColor GetSysColor(int index);

// A system colour becomes its RGB value; any other value (clNone included) comes back as is.
TColor ColorToRGB(TColor color);
