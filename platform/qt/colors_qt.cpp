#include "platform/colors.h"
#include <QApplication>
#include <QPalette>
#include <array>
#include <optional>

namespace {

struct TSysColorEntry {
    std::optional<QPalette::ColorRole> Role;
    QPalette::ColorGroup Group;
    TColor Fixed; // used when no role matches, and as the value without an application
};

constexpr auto A = QPalette::Active;
constexpr auto D = QPalette::Disabled;
using R = QPalette;

// The one table of system colours. Fixed values are the defaults of the desktop this system
// was made for.
const std::array<TSysColorEntry, 31> SysColorTable{{
    /* 0 SCROLLBAR */ {std::nullopt, A, RGBColor(200, 200, 200)},
    /* 1 BACKGROUND */ {std::nullopt, A, RGBColor(0, 0, 0)},
    /* 2 ACTIVECAPTION */ {std::nullopt, A, RGBColor(153, 180, 209)},
    /* 3 INACTIVECAPTION */ {std::nullopt, A, RGBColor(191, 205, 219)},
    /* 4 MENU */ {R::Window, A, RGBColor(240, 240, 240)},
    /* 5 WINDOW */ {R::Base, A, RGBColor(255, 255, 255)},
    /* 6 WINDOWFRAME */ {std::nullopt, A, RGBColor(100, 100, 100)},
    /* 7 MENUTEXT */ {R::WindowText, A, RGBColor(0, 0, 0)},
    /* 8 WINDOWTEXT */ {R::Text, A, RGBColor(0, 0, 0)},
    /* 9 CAPTIONTEXT */ {std::nullopt, A, RGBColor(0, 0, 0)},
    /* 10 ACTIVEBORDER */ {std::nullopt, A, RGBColor(180, 180, 180)},
    /* 11 INACTIVEBORDER */ {std::nullopt, A, RGBColor(244, 247, 252)},
    /* 12 APPWORKSPACE */ {std::nullopt, A, RGBColor(171, 171, 171)},
    /* 13 HIGHLIGHT */ {R::Highlight, A, RGBColor(0, 120, 215)},
    /* 14 HIGHLIGHTTEXT */ {R::HighlightedText, A, RGBColor(255, 255, 255)},
    /* 15 BTNFACE */ {R::Button, A, RGBColor(240, 240, 240)},
    /* 16 BTNSHADOW */ {R::Dark, A, RGBColor(160, 160, 160)},
    /* 17 GRAYTEXT */ {R::Text, D, RGBColor(109, 109, 109)},
    /* 18 BTNTEXT */ {R::ButtonText, A, RGBColor(0, 0, 0)},
    /* 19 INACTIVECAPTIONTEXT */ {std::nullopt, A, RGBColor(0, 0, 0)},
    /* 20 BTNHIGHLIGHT */ {R::Light, A, RGBColor(255, 255, 255)},
    /* 21 3DDKSHADOW */ {R::Shadow, A, RGBColor(105, 105, 105)},
    /* 22 3DLIGHT */ {R::Midlight, A, RGBColor(227, 227, 227)},
    /* 23 INFOTEXT */ {R::ToolTipText, A, RGBColor(0, 0, 0)},
    /* 24 INFOBK */ {R::ToolTipBase, A, RGBColor(255, 255, 225)},
    /* 25 (unused) */ {std::nullopt, A, RGBColor(0, 0, 0)},
    /* 26 HOTLIGHT */ {R::Link, A, RGBColor(0, 102, 204)},
    /* 27 GRADIENTACTIVECAPTION */ {std::nullopt, A, RGBColor(185, 209, 234)},
    /* 28 GRADIENTINACTIVECAPTION */ {std::nullopt, A, RGBColor(215, 228, 242)},
    /* 29 MENUHILIGHT */ {R::Highlight, A, RGBColor(0, 120, 215)},
    /* 30 MENUBAR */ {R::Window, A, RGBColor(240, 240, 240)},
}};

} // namespace

TColor GetSysColor(int index) {
    if (index < 0 || index >= static_cast<int>(SysColorTable.size()))
        return clBlack;
    const TSysColorEntry& e = SysColorTable[static_cast<std::size_t>(index)];
    if (!e.Role || QApplication::instance() == nullptr)
        return e.Fixed;
    const QColor c = QApplication::palette().color(e.Group, *e.Role);
    return RGBColor(c.red(), c.green(), c.blue());
}
