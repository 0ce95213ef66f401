// What every backend's pieces share: the placing of aligned children.
#include "platform/forms.h"

#include <algorithm>

void TWidget::SetAlign(TAlign align) {
    FAlign = align;
    if (auto* panel = dynamic_cast<TPanel*>(FParent))
        panel->Realign();
}

void TPanel::Realign() {
    TRect area = ClientArea();
    // Edges first, in the order the pieces were made; the client piece takes what is left.
    for (TWidget* child : Children) {
        if (child->Align() == alNone || child->Align() == alClient || child->FHidden)
            continue;
        const int w = child->Width(), h = child->Height();
        switch (child->Align()) {
        case alTop:
            child->SetBounds(area.Left, area.Top, area.Right - area.Left, h);
            area.Top += h;
            break;
        case alBottom:
            child->SetBounds(area.Left, area.Bottom - h, area.Right - area.Left, h);
            area.Bottom -= h;
            break;
        case alLeft:
            child->SetBounds(area.Left, area.Top, w, area.Bottom - area.Top);
            area.Left += w;
            break;
        case alRight:
            child->SetBounds(area.Right - w, area.Top, w, area.Bottom - area.Top);
            area.Right -= w;
            break;
        default:
            break;
        }
    }
    for (TWidget* child : Children)
        if (child->Align() == alClient && !child->FHidden)
            child->SetBounds(area.Left, area.Top, std::max(0, area.Right - area.Left),
                             std::max(0, area.Bottom - area.Top));
    if (OnResize)
        OnResize();
}
