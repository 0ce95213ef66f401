// The test hooks of the modal dialogs; the backend shows the real ones.
#include "platform/dialogs.h"
#include "platform/backend.h"

namespace {

TMessageBoxHook& MessageHook() {
    static TMessageBoxHook hook;
    return hook;
}

TFontDialogHook& FontHook() {
    static TFontDialogHook hook;
    return hook;
}

TFileDialogHook& FileHook() {
    static TFileDialogHook hook;
    return hook;
}

} // namespace

TModalResult MessageBoxInformation(const std::u16string& text) {
    if (const TMessageBoxHook& hook = MessageHook())
        return hook(TMessageBoxKind::mbInformation, text);
    return backend::ShowMessageBox(TMessageBoxKind::mbInformation, text);
}

void MessageBoxError(const std::u16string& text) {
    if (const TMessageBoxHook& hook = MessageHook()) {
        hook(TMessageBoxKind::mbError, text);
        return;
    }
    backend::ShowMessageBox(TMessageBoxKind::mbError, text);
}

TMessageBoxHook SetMessageBoxHook(TMessageBoxHook hook) {
    TMessageBoxHook previous = std::move(MessageHook());
    MessageHook() = std::move(hook);
    return previous;
}

bool ExecuteFontDialog(TFontDialogFont& font) {
    if (const TFontDialogHook& hook = FontHook())
        return hook(font);
    return backend::ShowFontDialog(font);
}

TFontDialogHook SetFontDialogHook(TFontDialogHook hook) {
    TFontDialogHook previous = std::move(FontHook());
    FontHook() = std::move(hook);
    return previous;
}

std::u16string ExecuteOpenFileDialog(const std::u16string& title,
                                     const std::vector<TFileFilter>& filters) {
    if (const TFileDialogHook& hook = FileHook())
        return hook(false, {});
    return backend::ShowFileDialog(false, title, filters, {});
}

std::u16string ExecuteSaveFileDialog(const std::u16string& title,
                                     const std::vector<TFileFilter>& filters,
                                     const std::u16string& fileName) {
    if (const TFileDialogHook& hook = FileHook())
        return hook(true, fileName);
    return backend::ShowFileDialog(true, title, filters, fileName);
}

TFileDialogHook SetFileDialogHook(TFileDialogHook hook) {
    TFileDialogHook previous = std::move(FileHook());
    FileHook() = std::move(hook);
    return previous;
}
