#pragma once
// One style property value: empty, an integer, a floating-point number or a string.
#include "platform/types.h"

#include <string>
#include <variant>

namespace html {

class TPropValue {
public:
    TPropValue() = default;
    TPropValue(int v) : FValue(v) {}
    TPropValue(double v) : FValue(v) {}
    TPropValue(std::u16string v) : FValue(std::move(v)) {}
    TPropValue(const char16_t* v) : FValue(std::u16string(v)) {}
    // Colours are kept as the 32-bit pattern in an integer.
    static TPropValue Color(TColor c) { return TPropValue(static_cast<int>(c)); }

    bool IsEmpty() const { return std::holds_alternative<std::monostate>(FValue); }
    bool IsInt() const { return std::holds_alternative<int>(FValue); }
    bool IsDouble() const { return std::holds_alternative<double>(FValue); }
    bool IsNumber() const { return IsInt() || IsDouble(); }
    bool IsString() const { return std::holds_alternative<std::u16string>(FValue); }

    int AsInt() const { return IsInt() ? std::get<int>(FValue) : 0; }
    double AsNumber() const {
        if (IsInt())
            return std::get<int>(FValue);
        if (IsDouble())
            return std::get<double>(FValue);
        return 0;
    }
    TColor AsColor() const { return static_cast<TColor>(AsInt()); }
    const std::u16string& AsString() const {
        static const std::u16string empty;
        return IsString() ? std::get<std::u16string>(FValue) : empty;
    }
    // True for the integer v (a double of the same value is not the integer).
    bool IsIntValue(int v) const { return IsInt() && std::get<int>(FValue) == v; }
    bool IsStringValue(std::u16string_view s) const { return IsString() && AsString() == s; }

    friend bool operator==(const TPropValue&, const TPropValue&) = default;

private:
    std::variant<std::monostate, int, double, std::u16string> FValue;
};

} // namespace html
