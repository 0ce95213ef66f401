#pragma once
// Keyboard and mouse values that controls receive: modifier state, mouse buttons and the
// platform's virtual key codes.
#include "platform/flags.h"
#include <cstdint>

enum class TShiftStateItem { ssShift, ssAlt, ssCtrl, ssLeft, ssRight, ssMiddle, ssDouble };
using TShiftState = TFlags<TShiftStateItem, std::uint8_t>;
using enum TShiftStateItem;

enum class TMouseButton { mbLeft, mbRight, mbMiddle };
using enum TMouseButton;

// Virtual key codes (the values of the platform this system was made for).
using TVirtualKey = std::uint16_t;
namespace vk {
constexpr TVirtualKey Back = 0x08, Tab = 0x09, Return = 0x0D, Shift = 0x10, Control = 0x11,
                      Menu = 0x12, Pause = 0x13, Capital = 0x14, Escape = 0x1B, Space = 0x20,
                      Prior = 0x21, Next = 0x22, End = 0x23, Home = 0x24, Left = 0x25, Up = 0x26,
                      Right = 0x27, Down = 0x28, Insert = 0x2D, Delete = 0x2E, Apps = 0x5D,
                      Numpad0 = 0x60, Multiply = 0x6A, Add = 0x6B, Subtract = 0x6D, Decimal = 0x6E,
                      Divide = 0x6F, F1 = 0x70, OemPlus = 0xBB, OemComma = 0xBC, OemMinus = 0xBD,
                      OemPeriod = 0xBE, Oem2 = 0xBF;
// Letters and digits are their upper-case ASCII codes ('A' = 0x41, '0' = 0x30).
constexpr TVirtualKey F(int n) {
    return static_cast<TVirtualKey>(F1 + n - 1);
}
} // namespace vk
