#include "app/aboutbox.h"

#include "browser/records.h"
#include "platform/application.h"
#include "platform/bitmap.h"
#include "platform/errors.h"
#include "platform/shell.h"
#include "resources/pictures/pictures.h"
#include "text/utf.h"

#include "mkb_version.h"

#include <string>

using namespace mkb::browser;

using namespace mkb::text;

namespace {

// The window's fonts are asked for by name; where a face is not installed the font system
// substitutes its closest match. Heights are character heights in pixels (11 px is 8 pt).
TFontSpec DesignFont(const char16_t* face, int pixels, bool bold, bool underline = false) {
    TFontSpec font;
    font.Name = face;
    font.Height = pixels;
    font.Weight = bold ? FW_BOLD : FW_NORMAL;
    font.Underline = underline;
    return font;
}

TFontSpec DefaultFont(bool bold = false) {
    return DesignFont(u"MS Sans Serif", 11, bold);
}

enum class TAnchor { Left, Right };

// Labels size themselves to their text. Those of the right-hand column are right-justified
// and keep their right edge, so the column stays flush whatever face the font system picks.
TLabel* MakeLabel(TForm* form, int x, int y, int designWidth, const std::u16string& text,
                  const TFontSpec& font, TAnchor anchor) {
    auto* label = form->Make<TLabel>(text);
    label->SetFont(font);
    const int width = label->TextWidth();
    const int left = anchor == TAnchor::Right ? x + designWidth - width : x;
    label->SetAlignment(anchor == TAnchor::Right ? haRight : haLeft, false);
    label->SetBounds(left, y, width, label->TextHeight());
    return label;
}

} // namespace

TAboutBox::TAboutBox(TForm* owner) : TForm(fsDialog, owner) {
    SetCaption(u"О программе");
    SetClientSize(ClientWidth, ClientHeight);
    // Button face behind everything; the children keep their usual text roles.
    SetColor(clBtnFace);
    SetFont(DefaultFont());

    // A 2-pixel sunken edge around the logo leaves it the 125 x 157 window of the picture.
    panLogo = Make<TSunkenFrame>();
    panLogo->SetBounds(8, 8, 129, 161);
    imgLogo = panLogo->Make<TImage>();
    imgLogo->SetBounds(2, 2, 125, 157);
    TBitmap logo;
    if (!logo.LoadFromResource(MkbPictures::Logo, ScreenPixelRatio()))
        throw EResNotFound(std::string("Resource ") + MkbPictures::Logo + " not found");
    imgLogo->SetPicture(logo);

    constexpr TColor accent = RGBColor(0x5A, 0x7F, 0xAD);
    lbProductName = MakeLabel(this, 158, 8, 213, u"Verolin МКБ 10",
                              DesignFont(u"Verdana", 21, true), TAnchor::Right);
    lbProductName->SetTextColor(accent);
    lbVersion = MakeLabel(this, 305, 36, 66, Utf8ToUtf16("Версия " MKB_VERSION_SHORT),
                          DefaultFont(true), TAnchor::Right);
    lbFree =
        MakeLabel(this, 220, 56, 151, u"Распространяется бесплатно", DefaultFont(), TAnchor::Right);
    Bevel1 = Make<TBevel>();
    Bevel1->SetBounds(158, 78, 213, 2);
    lbSiteCaption =
        MakeLabel(this, 158, 88, 95, u"Онлайн версия:", DefaultFont(true), TAnchor::Left);

    const TFontSpec linkFont = DesignFont(u"MS Sans Serif", 11, false, true);
    lbSite = MakeLabel(this, 257, 105, 114, SiteAddress, linkFont, TAnchor::Right);
    lbSupportCaption =
        MakeLabel(this, 158, 128, 118, u"Служба поддержки:", DefaultFont(true), TAnchor::Left);
    lbSupport = MakeLabel(this, 269, 152, 102, SupportAddress, linkFont, TAnchor::Right);
    for (TLabel* link : {lbSite, lbSupport}) {
        link->SetTextColor(RGBColor(0x00, 0x00, 0xFF));
        link->SetHandCursor();
    }
    lbSite->OnClick = [this] { lbSiteClick(); };
    lbSupport->OnClick = [this] { lbSupportClick(); };

    Bevel2 = Make<TBevel>();
    Bevel2->SetBounds(8, 176, 363, 2);

    lbEdition = Make<TLabel>(EditionText());
    lbEdition->SetWordWrap(true);
    lbEdition->SetAlignment(haLeft, true);
    lbEdition->SetBounds(8, 182, 280, 30);

    btnOK = Make<TButton>(u"&OK");
    btnOK->SetBounds(296, 184, 75, 25);
    btnOK->OnClick = [this] { btnOKClick(); };
    // The button is the only control that takes focus, so it is first in the tab order.
    btnOK->SetFocus();

    // Keyboard preview: key presses meant for any control pass FormKeyPress first.
    OnKeyPreview = [this](const TKeyStroke& stroke) {
        char16_t key = stroke.Char;
        if (stroke.Key == vk::Escape)
            key = 27;
        else if (stroke.Key == vk::Return)
            key = 13;
        if (key == 0)
            return false;
        FormKeyPress(key);
        // The handler took the key (zeroed it) or closed the window with it.
        return key == 0 || !Visible();
    };
}

void TAboutBox::ShowModal() {
    CenterOnScreen();
    btnOK->SetFocus();
    TForm::ShowModal();
}

void TAboutBox::btnOKClick() {
    Close();
}

void TAboutBox::FormKeyPress(char16_t& Key) {
    if (Key == 27)
        Close();
}

void TAboutBox::lbSiteClick() {
    ShellExecuteOpen(lbSite->Caption());
}

void TAboutBox::lbSupportClick() {
    ShellExecuteOpen(u"mailto:" + lbSupport->Caption());
}
