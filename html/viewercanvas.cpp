#include "html/viewercanvas.h"

#include "platform/canvas.h"
#include "platform/colors.h"

namespace html {

void TViewerCanvas::Attach(TCanvas& target) {
    FTarget = &target;
}

void TViewerCanvas::Detach() {
    FTarget = nullptr;
}

void TViewerCanvas::SetClipRect(const TRect& r) {
    FClip = r;
    if (FTarget)
        FTarget->SetClipRect(r);
}

void TViewerCanvas::FillRect(const TRect& r, TColor color) {
    if (FTarget && color != clNone)
        FTarget->FillRect(r, color);
}

void TViewerCanvas::TextOut(const TMyFont& font, int x, int baseline, std::u16string_view text,
                            TColor color, TColor background, int extraWidth, int spaceCount) {
    if (!FTarget || text.empty())
        return;
    // The font lives in the document, which outlives this call: the canvas only borrows it.
    FTarget->SetFont(
        std::shared_ptr<const TPlatformFont>(std::shared_ptr<void>(), &font.PlatformFont()));
    FTarget->SetTextColor(color);
    if (background == clNone) {
        FTarget->SetBkMode(bmTransparent);
    } else {
        FTarget->SetBkMode(bmOpaque);
        FTarget->SetBkColor(background);
    }
    if (font.LetterSpacing == 0) {
        FTarget->TextOut(x, baseline, text, extraWidth, spaceCount);
    } else {
        // Letter spacing is not a platform setting: the characters go one by one, each at the
        // advance the layout measured for it.
        int px = x;
        int spacesLeft = spaceCount, extraLeft = extraWidth;
        for (std::size_t i = 0; i < text.size(); ++i) {
            const std::u16string_view one = text.substr(i, 1);
            int extra = 0;
            if (spacesLeft > 0 && (one[0] == u' ' || one[0] == 0xA0)) {
                extra = extraLeft / spacesLeft;
                extraLeft -= extra;
                --spacesLeft;
            }
            FTarget->TextOut(px, baseline, one);
            px += TextWidth(font, one) + extra;
        }
    }
    FTarget->SetFont(nullptr);
}

} // namespace html
