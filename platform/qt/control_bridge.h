#pragma once
// For app/ and the widget tests: the toolkit widget behind a control, to place it in a layout
// or to send it events.
class QWidget;
class TControl;

QWidget* ControlWidget(TControl& control);

// For tests: a function that sees every accessibility event the controls raise, also while no
// assistive technology is active (the offscreen platform never has one, and the toolkit then
// drops its events before any update handler); none to stop.
class QAccessibleEvent;
using TAccessibleEventSink = void (*)(QAccessibleEvent* event);
void SetAccessibleEventSink(TAccessibleEventSink sink);
