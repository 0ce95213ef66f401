// Painting the viewer: one off-screen bitmap per paint request, the size of the request.
#include "html/viewer.h"

#include "platform/bitmap.h"
#include "platform/canvas.h"
#include "platform/colors.h"
#include "platform/errors.h"

#include <new>

using namespace mkb::text;

namespace html {

using namespace viewer_steps;

void THTMLViewer::Paint(TCanvas& canvas, const TRect& updateRect) {
    if (Processing || FPainting || updateRect.IsEmpty())
        return;
    FPainting = true;
    TScopeExit end([this] {
        FCanvas.Detach();
        FPainting = false;
    });
    UpdateBorder();

    TBitmap bitmap;
    bitmap.SetPixelRatio(canvas.PixelRatio());
    try {
        bitmap.SetSize(updateRect.Width(), updateRect.Height());
    } catch (const std::bad_alloc&) {
        throw EMkbError("Out of Resources");
    }
    if (bitmap.Width() != updateRect.Width() || bitmap.Height() != updateRect.Height())
        throw EMkbError("Out of Resources");
    TCanvas& off = bitmap.Canvas();
    // Surface coordinates on the bitmap: its pixel (0, 0) is the request's top-left corner.
    off.SetWindowOrigin({updateRect.Left, updateRect.Top});
    off.SetClipRect(updateRect);
    off.FillRect(updateRect, Document.Background);

    FCanvas.Attach(off);
    const TRect clip{0, 1, FScroll.SurfaceWidth, FScroll.SurfaceHeight};
    FCanvas.SetClipRect(clip);
    // The bitmap's own clip still holds drawing to the request.
    off.SetClipRect(updateRect);
    Document.Paint(FCanvas, clip, -FScroll.HPosition);
    FCanvas.Detach();
    PaintLinkFrame(off);
    off.EndPaint();
    canvas.Draw(updateRect.Left, updateRect.Top, bitmap);
}

} // namespace html
