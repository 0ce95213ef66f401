#pragma once
// Pointer shapes, and the small window that marks where wheel panning started.
#include "platform/types.h"
#include <memory>

// crMove* are the panning shapes: all directions, east-west, north-south, then the eight
// single directions; crArrow, crIBeam and crHandPoint are the platform's own arrow, text beam
// and pointing hand.
enum class TCursor {
    crDefault,
    crMoveAll,
    crMoveEW,
    crMoveNS,
    crMoveN,
    crMoveS,
    crMoveE,
    crMoveW,
    crMoveNE,
    crMoveNW,
    crMoveSE,
    crMoveSW,
    crArrow,
    crIBeam,
    crHandPoint // over a link
};
using enum TCursor;

// The pointer position in screen coordinates.
TPoint CursorPos();

// A 32 x 32 tool window with the panning picture of crMoveAll, crMoveEW or crMoveNS, shaped
// to the picture's opaque pixels and shown without taking the activation.
class TPanningWindow {
public:
    explicit TPanningWindow(TCursor kind);
    ~TPanningWindow();
    TPanningWindow(const TPanningWindow&) = delete;
    TPanningWindow& operator=(const TPanningWindow&) = delete;

    // Shows the window with its top left corner at the screen point.
    void ShowAt(TPoint screenTopLeft);
    TCursor Kind() const { return FKind; }
    bool Visible() const;
    TPoint ScreenPos() const;
    static constexpr int Size = 32;

private:
    TCursor FKind;
    struct TWindow; // the backend's window
    std::unique_ptr<TWindow> Window;
};
