#pragma once
// What the backend-free sources of platform/ ask of the backend (platform/qt/ with iconv and
// libjpeg, or platform/win32/); for platform/ only. The hooks and tables stay shared, the
// backend does only the toolkit's part.
#include "platform/dialogs.h"
#include "platform/font.h"
#include "platform/popupmenu.h"
#include "platform/types.h"

#include <span>
#include <string>
#include <string_view>

namespace backend {
// The real message box and font dialog, once no test hook has taken the call.
TModalResult ShowMessageBox(TMessageBoxKind kind, const std::u16string& text);
bool ShowFontDialog(TFontDialogFont& font);
// The real file dialog (to open, or to save under the name given): the path, empty on cancel.
std::u16string ShowFileDialog(bool save, const std::u16string& title,
                              const std::vector<TFileFilter>& filters,
                              const std::u16string& fileName);
// The real menu: the index chosen, -1 for none.
int ShowPopupMenu(const TPopupMenu& menu, TPoint screenPoint);
// The desktop's "open" for a URL or mailto: address.
void ShellOpen(const std::u16string& target);
// Code pages without a table of their own (codePage already resolved from 0, 1, 2).
std::u16string DecodeCodePage(std::string_view bytes, int codePage);
std::string EncodeCodePage(std::u16string_view text, int codePage);
// The machine's font services, in force while no others are installed.
TFontServices& PlatformFontServices();

// The faces the application's pages and windows name, and the free faces that stand in for them
// where they are not installed.
struct TFaceStandIn {
    std::u16string_view Face;
    std::u16string_view StandIn;
};
std::span<const TFaceStandIn> FaceStandIns();
} // namespace backend
