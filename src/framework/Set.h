// A small set of enumeration values, for state and option flags. The enumerators must lie in
// 0..63.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <type_traits>

namespace tarn {

template <class E>
requires std::is_enum_v<E>
class TSet {
public:
    constexpr TSet() = default;
    constexpr TSet(std::initializer_list<E> items) {
        for (E item : items)
            Include(item);
    }

    constexpr bool Contains(E item) const { return (bits_ & Bit(item)) != 0; }
    constexpr bool Empty() const { return bits_ == 0; }
    constexpr TSet& Include(E item) {
        bits_ |= Bit(item);
        return *this;
    }
    constexpr TSet& Exclude(E item) {
        bits_ &= ~Bit(item);
        return *this;
    }

    friend constexpr TSet operator+(TSet a, TSet b) { return FromBits(a.bits_ | b.bits_); }
    friend constexpr TSet operator-(TSet a, TSet b) { return FromBits(a.bits_ & ~b.bits_); }
    friend constexpr TSet operator*(TSet a, TSet b) { return FromBits(a.bits_ & b.bits_); }
    friend constexpr bool operator==(TSet a, TSet b) = default;

private:
    static constexpr std::uint64_t Bit(E item) {
        return std::uint64_t{1} << static_cast<unsigned>(item);
    }
    static constexpr TSet FromBits(std::uint64_t bits) {
        TSet s;
        s.bits_ = bits;
        return s;
    }

    std::uint64_t bits_ = 0;
};

} // namespace tarn
