#pragma once
// Modal message boxes, the font dialog and the file dialogs. Each call blocks until the user
// answers.
#include "platform/types.h"

#include <functional>
#include <string>
#include <vector>

// The button that closed a message box.
enum class TModalResult { mrOK, mrCancel };

// Information box with OK and Cancel, OK the default button (Enter answers OK, Esc Cancel).
TModalResult MessageBoxInformation(const std::u16string& text);
// Error box with OK only.
void MessageBoxError(const std::u16string& text);

enum class TMessageBoxKind { mbInformation, mbError };

// Replaces the message boxes (tests answer them without a modal loop); an empty hook restores
// the real boxes. Error boxes ignore the answer. Returns the hook in place before.
using TMessageBoxHook =
    std::function<TModalResult(TMessageBoxKind kind, const std::u16string& text)>;
TMessageBoxHook SetMessageBoxHook(TMessageBoxHook hook);

// A font as the font dialog takes and returns it. Height is the character height in pixels
// (11 pixels is 8 points at 96 dots per inch).
struct TFontDialogFont {
    std::u16string Name{u"MS Sans Serif"};
    int Height{11};
    bool Bold{false};
    bool Italic{false};
    bool Underline{false};
    bool StrikeOut{false};
    TColor Color{clWindowText};
    friend bool operator==(const TFontDialogFont&, const TFontDialogFont&) = default;
};

// Shows the font dialog seeded with `font`. On confirmation stores the chosen font in `font`
// and returns true; on cancel leaves it untouched and returns false. The colour is carried
// through unchanged (the dialog offers no colour choice).
bool ExecuteFontDialog(TFontDialogFont& font);

// Replaces the font dialog, as SetMessageBoxHook does for the message boxes.
using TFontDialogHook = std::function<bool(TFontDialogFont& font)>;
TFontDialogHook SetFontDialogHook(TFontDialogHook hook);

// A kind of file the file dialogs offer: its name and patterns ("*.txt;*.csv").
struct TFileFilter {
    std::u16string Name;
    std::u16string Patterns;
};

// The dialog that chooses a file to open: the path chosen, empty on cancel.
std::u16string ExecuteOpenFileDialog(const std::u16string& title,
                                     const std::vector<TFileFilter>& filters);
// The dialog that chooses where to save, seeded with a file name: the path chosen, empty on
// cancel. It asks before a file is replaced; a name typed without an extension gets the first
// pattern's.
std::u16string ExecuteSaveFileDialog(const std::u16string& title,
                                     const std::vector<TFileFilter>& filters,
                                     const std::u16string& fileName);

// Replaces both file dialogs, as SetMessageBoxHook does for the message boxes: save tells which
// is asked; the answer is the path, empty for cancel.
using TFileDialogHook = std::function<std::u16string(bool save, const std::u16string& fileName)>;
TFileDialogHook SetFileDialogHook(TFileDialogHook hook);
