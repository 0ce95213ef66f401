#pragma once
// For app/ and the widget tests: the toolkit widget behind a control, to place it in a layout
// or to send it events.
class QWidget;
class TControl;

QWidget* ControlWidget(TControl& control);
