#pragma once
#include "platform/types.h"

#include <functional>
#include <string>
#include <vector>

// The process-wide application object that controls need. The program's main() makes its
// own; tests and tools without one call EnsureApplication() before making a control.
void EnsureApplication();

// The platform settings that stand in for the desktop's own (written down once here).
int WheelScrollLines();          // lines per wheel notch; -1 would mean "one page per notch"
int DragThreshold();             // pixels the pointer must move before a drag or pan starts
int HorizontalScrollBarHeight(); // pixel height of a horizontal scroll bar
int VerticalScrollBarWidth();    // pixel width of a vertical scroll bar
// The highest device pixel ratio among the screens: pictures loaded once for every screen are
// taken at the size this ratio needs.
double ScreenPixelRatio();
// The primary screen's area that windows may take (without the task bar), in logical pixels.
TRect ScreenWorkArea();

// Handles the window messages (timers, posted repaints) that are waiting, then returns.
void ProcessMessages();
// The same, but first waits up to milliseconds for a message when none is waiting.
void WaitAndProcessMessages(unsigned milliseconds);

// The program's own start, before any window: the toolkit with the window's language (Russian:
// its dialogs, buttons and menus), the program's name and its icon (pictures of the sizes the
// desktop picks from).
void StartApplication(int& argc, char** argv, const std::u16string& displayName,
                      const char* desktopName, const std::vector<const char*>& iconPictures);
// Runs the message loop until the last window has closed; returns the program's exit status.
int RunApplication();
// What escapes an event handler is shown by this (an error box unless replaced, so that tests
// need not answer one); the program goes on with the state built so far.
extern std::function<void(const std::string& message)> ApplicationErrorHandler;
void ShowApplicationError(const std::string& message);

// The program's arguments after its name, in UTF-8 whatever the system's code page. On a
// desktop whose programs have no console of their own, the console the program was started
// from (if any) takes its output, so that --help and --version print there.
std::vector<std::string> CommandLineArguments(int argc, char** argv);
