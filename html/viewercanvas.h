#pragma once
// The viewer's canvas: measures always, and paints on the platform canvas it is attached to
// during a paint request. One object for the viewer's lifetime, so the width cache is kept.
#include "html/layout/htmlcanvas.h"

class TCanvas;

namespace html {

class TViewerCanvas : public THtmlCanvas {
public:
    // Drawing goes to target until Detach; the target's origin and clip are the caller's.
    void Attach(TCanvas& target);
    void Detach();
    bool Attached() const { return FTarget != nullptr; }

    void TextOut(const TMyFont& font, int x, int baseline, std::u16string_view text, TColor color,
                 TColor background, int extraWidth, int spaceCount) override;
    void FillRect(const TRect& r, TColor color) override;
    TRect ClipRect() const override { return FClip; }
    void SetClipRect(const TRect& r) override;

private:
    TCanvas* FTarget{nullptr};
    TRect FClip{};
};

} // namespace html
