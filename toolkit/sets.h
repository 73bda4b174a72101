// Sets of small enumerations (up to 32 values), stored as a bit mask: the value type of
// set properties such as a component's state or a control's anchors.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <type_traits>

template <class E>
class TSet {
  static_assert(std::is_enum_v<E>, "a set holds values of an enumeration");

 public:
  constexpr TSet() = default;
  constexpr TSet(std::initializer_list<E> values) {
    for (E v : values) bits_ |= Bit(v);
  }
  static constexpr TSet FromBits(uint32_t bits) {
    TSet s;
    s.bits_ = bits;
    return s;
  }
  constexpr uint32_t Bits() const { return bits_; }

  constexpr bool Contains(E value) const { return (bits_ & Bit(value)) != 0; }
  constexpr bool Empty() const { return bits_ == 0; }
  constexpr TSet& Include(E value) {
    bits_ |= Bit(value);
    return *this;
  }
  constexpr TSet& Exclude(E value) {
    bits_ &= ~Bit(value);
    return *this;
  }

  constexpr TSet operator+(TSet other) const { return FromBits(bits_ | other.bits_); }   // union
  constexpr TSet operator-(TSet other) const { return FromBits(bits_ & ~other.bits_); }  // difference
  constexpr TSet operator*(TSet other) const { return FromBits(bits_ & other.bits_); }   // intersection
  constexpr bool operator==(const TSet&) const = default;

 private:
  static constexpr uint32_t Bit(E value) { return uint32_t{1} << static_cast<unsigned>(value); }
  uint32_t bits_ = 0;
};

// Keeps a value in a set for the life of a scope, on every path out of it.
template <class E>
class TSetMemberScope {
 public:
  TSetMemberScope(TSet<E>& set, E value) : set_(set), value_(value) { set_.Include(value_); }
  ~TSetMemberScope() { set_.Exclude(value_); }
  TSetMemberScope(const TSetMemberScope&) = delete;
  TSetMemberScope& operator=(const TSetMemberScope&) = delete;

 private:
  TSet<E>& set_;
  E value_;
};
