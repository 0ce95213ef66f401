#pragma once
// For app/ only: the toolkit widget behind a control, to place it in a layout.
class QWidget;
class TControl;

QWidget* ControlWidget(TControl& control);
