#pragma once
// Requests to the desktop shell: open a web address in the browser, or start a new mail
// message from a "mailto:" address. The outcome is not reported; a desktop without a browser
// or mail program simply does nothing.
#include <functional>
#include <string>

// Asks the desktop to perform "open" on the target (a URL or "mailto:" address).
void ShellExecuteOpen(const std::u16string& target);

// Replaces what ShellExecuteOpen does (tests install a recorder so that no browser starts);
// an empty handler restores the desktop call. Returns the handler in place before.
using TShellOpenHandler = std::function<void(const std::u16string& target)>;
TShellOpenHandler SetShellOpenHandler(TShellOpenHandler handler);
