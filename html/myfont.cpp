#include "html/myfont.h"

namespace html {

TFontSpec TMyFont::Spec() const {
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
    TFontSpec spec = Spec();
    if (!FPlatform || !(FPlatform->Spec() == spec))
        FPlatform = std::make_shared<TPlatformFont>(spec);
    return *FPlatform;
}

} // namespace html
