#pragma once
// The details pane as the HTML viewer: pages go to the viewer without a base reference.
#include "browser/browser.h"
#include "html/viewer.h"

namespace mkb::browser {

class THtmlDetailsView final : public TDetailsView {
public:
    explicit THtmlDetailsView(html::THTMLViewer& viewer) : Viewer(viewer) {}
    void ClearDocument() override { Viewer.ClearDocument(); }
    void LoadHtmlText(const std::u16string& text) override { Viewer.LoadHtmlText(text); }
    void LoadHtmlLines(const std::vector<std::u16string>& lines) override {
        Viewer.LoadHtmlLines(lines);
    }

private:
    html::THTMLViewer& Viewer;
};

} // namespace mkb::browser
