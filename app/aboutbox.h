#pragma once
// The About window: product, version, and links to the maker's site and support address.
#include "platform/forms.h"

class TAboutBox : public TForm {
public:
    // Loads the logo from the application's resources; raises EResNotFound when it is not
    // linked in. The window stays hidden until ShowModal.
    explicit TAboutBox(TForm* owner = nullptr);

    // Shows the window until it is closed, then hides it again; can be called any number of
    // times.
    void ShowModal();

    void btnOKClick();
    void FormKeyPress(char16_t& Key);
    void lbSiteClick();
    void lbSupportClick();

    static constexpr int ClientWidth = 378;
    static constexpr int ClientHeight = 215;
    static constexpr const char16_t* SiteAddress = u"https://verolin.example/mkb10";
    static constexpr const char16_t* SupportAddress = u"support@verolin.example";

    TSunkenFrame* panLogo{nullptr};
    TImage* imgLogo{nullptr};
    TLabel* lbProductName{nullptr};
    TLabel* lbVersion{nullptr};
    TLabel* lbFree{nullptr};
    TBevel* Bevel1{nullptr};
    TLabel* lbSiteCaption{nullptr};
    TLabel* lbSite{nullptr};
    TLabel* lbSupportCaption{nullptr};
    TLabel* lbSupport{nullptr};
    TBevel* Bevel2{nullptr};
    // The classification edition the program carries, beside the button.
    TLabel* lbEdition{nullptr};
    TButton* btnOK{nullptr};
};
