#include "platform/shell.h"
#include "platform/backend.h"

namespace {

TShellOpenHandler& CurrentHandler() {
    static TShellOpenHandler handler;
    return handler;
}

} // namespace

void ShellExecuteOpen(const std::u16string& target) {
    if (const TShellOpenHandler& handler = CurrentHandler()) {
        handler(target);
        return;
    }
    backend::ShellOpen(target);
}

TShellOpenHandler SetShellOpenHandler(TShellOpenHandler handler) {
    TShellOpenHandler previous = std::move(CurrentHandler());
    CurrentHandler() = std::move(handler);
    return previous;
}
