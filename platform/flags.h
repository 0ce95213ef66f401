#pragma once
// A typed set of named flags over an enumeration whose members are bit numbers 0, 1, 2, ...
#include <cstdint>
#include <initializer_list>
#include <type_traits>

template <class E, class Storage = std::uint32_t> class TFlags {
    static_assert(std::is_enum_v<E>);

public:
    constexpr TFlags() = default;
    constexpr TFlags(E e) : Bits(Bit(e)) {}
    constexpr TFlags(std::initializer_list<E> list) {
        for (E e : list)
            Bits |= Bit(e);
    }

    constexpr bool Contains(E e) const { return (Bits & Bit(e)) != 0; }
    constexpr bool ContainsAny(TFlags other) const { return (Bits & other.Bits) != 0; }
    constexpr bool ContainsAll(TFlags other) const { return (Bits & other.Bits) == other.Bits; }
    constexpr bool Empty() const { return Bits == 0; }

    constexpr TFlags& Include(TFlags other) {
        Bits |= other.Bits;
        return *this;
    }
    constexpr TFlags& Exclude(TFlags other) {
        Bits &= static_cast<Storage>(~other.Bits);
        return *this;
    }
    constexpr void Set(E e, bool on) { on ? Include(e) : Exclude(e); }

    constexpr TFlags operator|(TFlags o) const { return FromBits(Bits | o.Bits); }
    constexpr TFlags operator&(TFlags o) const { return FromBits(Bits & o.Bits); }
    constexpr TFlags operator-(TFlags o) const {
        return FromBits(static_cast<Storage>(Bits & ~o.Bits));
    }
    constexpr TFlags& operator|=(TFlags o) { return Include(o); }
    constexpr TFlags& operator-=(TFlags o) { return Exclude(o); }
    friend constexpr bool operator==(TFlags, TFlags) = default;

    constexpr Storage ToBits() const { return Bits; }
    static constexpr TFlags FromBits(Storage bits) {
        TFlags f;
        f.Bits = bits;
        return f;
    }

private:
    static constexpr Storage Bit(E e) {
        return static_cast<Storage>(Storage{1} << static_cast<int>(e));
    }
    Storage Bits{0};
};
