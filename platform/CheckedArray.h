// Fixed-size array indexed from a chosen lower bound (1 for the game's tables), always checked.
#pragma once

#include <array>
#include <cstddef>
#include <stdexcept>
#include <string>

namespace vornu {

// Elements Lo..Hi inclusive. The index check cannot be switched off: a wrong index
// throws std::out_of_range instead of touching memory outside the table.
template <typename T, long Lo, long Hi>
class CheckedArray {
  static_assert(Hi >= Lo, "empty range");

 public:
  static constexpr long Low = Lo;
  static constexpr long High = Hi;
  static constexpr std::size_t Count = static_cast<std::size_t>(Hi - Lo + 1);

  // Whether i addresses an element.
  static constexpr bool InRange(long i) { return i >= Lo && i <= Hi; }

  T& operator[](long i) { return data_[Offset(i)]; }
  const T& operator[](long i) const { return data_[Offset(i)]; }

  // Sets every element to v.
  void Fill(const T& v) { data_.fill(v); }

  T* begin() { return data_.data(); }
  T* end() { return data_.data() + Count; }
  const T* begin() const { return data_.data(); }
  const T* end() const { return data_.data() + Count; }

  friend bool operator==(const CheckedArray&, const CheckedArray&) = default;

 private:
  static std::size_t Offset(long i) {
    if (!InRange(i)) {
      throw std::out_of_range("index " + std::to_string(i) + " outside " + std::to_string(Lo) +
                              ".." + std::to_string(Hi));
    }
    return static_cast<std::size_t>(i - Lo);
  }

  std::array<T, Count> data_{};
};

}  // namespace vornu
