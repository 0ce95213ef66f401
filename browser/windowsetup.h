#pragma once
// The main window's tree and details viewer as the window configures them. The window, the
// browser tests and the benchmarks set their controls up through these, so all of them run
// what the user sees.
#include "browser/browser.h"
#include "html/viewer.h"
#include "platform/imagelist.h"
#include "tree/stringtree.h"

namespace mkb::browser {

// "MS Sans Serif", 11 pixels, Russian: the font the window hands down to the tree.
TFontSpec PartsTreeFont();

// Rows 24 high, indent 24, margin 2, text margin 0, the window's font, solid lines, blended
// selection in one blue everywhere, the paint and selection options, and the pictures: the
// four node images are added to images (24 x 24, kept by the caller as long as the tree) and
// the background picture is painted static.
void SetUpPartsTree(TVirtualStringTree& tree, TImageList& images);

// A tree used as a flat list of whole rows answered by index: rows of that height, no buttons,
// lines or root indentation, a vertical scroll bar only, a selection dark enough for light text
// whatever the desktop's own highlight, and no measuring of the rows, which the list never
// scrolls sideways to (measuring would shape every visible text again on each change). A list
// of one selected row hides the focus frame, which would only repeat the selection.
void SetUpFlatList(TVirtualStringTree& list, unsigned rowHeight, bool multiSelect);

// The font command: the font dialog starts from the tree's font and colour; a confirmed choice
// becomes the tree's font. Returns whether the user confirmed.
bool ChooseTreeFont(TVirtualStringTree& tree);

// The tree's events go to the browser's handlers, its context menu included (Ctrl+C copies
// the focused row's text through OnGetText).
void ConnectPartsTree(TVirtualStringTree& tree, TBrowser& browser);

// No border, no history, Times New Roman and Courier New, selection allowed, vertical scroll
// bar only, Russian character set, print margins 2.0 and print scale 1.0.
void SetUpDetailsViewer(html::THTMLViewer& viewer);

// The page's links open their records through the browser.
void ConnectDetailsViewer(html::THTMLViewer& viewer, TBrowser& browser);

} // namespace mkb::browser
