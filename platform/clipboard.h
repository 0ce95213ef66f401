#pragma once
// The system clipboard, plain text only.
#include <string>

// Puts the text on the clipboard in place of what was there.
void SetClipboardText(const std::u16string& text);
// The clipboard's plain text; empty when it holds none.
std::u16string ClipboardText();
