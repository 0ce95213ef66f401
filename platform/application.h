#pragma once
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

// Handles the window messages (timers, posted repaints) that are waiting, then returns.
void ProcessMessages();
// The same, but first waits up to milliseconds for a message when none is waiting.
void WaitAndProcessMessages(unsigned milliseconds);
