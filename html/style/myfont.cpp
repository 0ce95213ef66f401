#include "html/style/myfont.h"

namespace html {

TFontSpec TMyFont::Requested() const {
    TFontSpec s;
    s.Name = Name;
    s.Height = Height;
    s.Weight = Style.Has(TFontStyle::Bold) ? FW_BOLD : FW_NORMAL;
    s.Italic = Style.Has(TFontStyle::Italic);
    s.Underline = Style.Has(TFontStyle::Underline);
    s.StrikeOut = Style.Has(TFontStyle::StrikeOut);
    s.CharSet = CharSet;
    return s;
}

const TPlatformFont& TMyFont::PlatformFont() const {
    TFontSpec request = Requested();
    if (!FPlatform || !(FPlatform->Requested() == request))
        FPlatform = std::make_shared<TPlatformFont>(request);
    return *FPlatform;
}

} // namespace html
