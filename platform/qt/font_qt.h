#pragma once
// For the drawing code of platform/ only: the toolkit font behind a TPlatformFont.
#include "platform/font.h"

#include <QFont>
#include <QFontMetricsF>

struct TPlatformFont::TImpl {
    TFontSpec Request;
    QFont Font;
    QFontMetricsF Fm;
    TFontMetrics Metrics;
    explicit TImpl(const TFontSpec& request);
};

// The toolkit font for a platform font description (no measuring).
QFont MakeQtFont(const TFontSpec& request);
