#pragma once

#include <cstdlib>
#include <cstring>
#include <utility>
#include <type_traits>

namespace cardset {

// Every growth goes through this function, so that tests can make any one of
// them fail.
inline void* (*growable_reallocate)(void* block, std::size_t bytes) = [](void* block,
                                                                        std::size_t bytes) {
  return std::realloc(block, bytes);
};

// A growable array of plain values that reports running out of memory
// instead of throwing. It grows with realloc, which on large blocks can move
// pages instead of copying them, so a huge deck does not briefly need twice
// its size.
template <typename T>
class growable_array {
  static_assert(std::is_trivially_copyable_v<T>);

 public:
  growable_array() = default;
  growable_array(const growable_array&) = delete;
  growable_array& operator=(const growable_array&) = delete;
  growable_array(growable_array&& other) noexcept { swap(other); }
  growable_array& operator=(growable_array&& other) noexcept {
    swap(other);
    return *this;
  }
  ~growable_array() { std::free(data_); }

  T* data() { return data_; }
  const T* data() const { return data_; }
  std::size_t size() const { return size_; }
  T& operator[](std::size_t i) { return data_[i]; }
  const T& operator[](std::size_t i) const { return data_[i]; }

  // Makes room for at least count more values.
  [[nodiscard]] bool reserve_more(std::size_t count) {
    if (capacity_ - size_ >= count) return true;
    if (count > max_count() - size_) return false;
    std::size_t wanted = capacity_ < 1024 ? 1024 : capacity_;
    while (wanted - size_ < count) {
      wanted = wanted > max_count() / 2 ? max_count() : wanted * 2;
    }
    void* grown = growable_reallocate(data_, wanted * sizeof(T));
    if (grown == nullptr) return false;
    data_ = static_cast<T*>(grown);
    capacity_ = wanted;
    return true;
  }

  [[nodiscard]] bool push_back(T value) {
    if (size_ == capacity_ && !reserve_more(1)) return false;
    data_[size_++] = value;
    return true;
  }

  [[nodiscard]] bool append(const T* values, std::size_t count) {
    if (!reserve_more(count)) return false;
    if (count != 0) std::memcpy(data_ + size_, values, count * sizeof(T));
    size_ += count;
    return true;
  }

  // Sets the size to count values, all zero.
  [[nodiscard]] bool assign_zeros(std::size_t count) {
    size_ = 0;
    if (!reserve_more(count)) return false;
    if (count != 0) std::memset(data_, 0, count * sizeof(T));
    size_ = count;
    return true;
  }

 private:
  static constexpr std::size_t max_count() { return static_cast<std::size_t>(-1) / 2 / sizeof(T); }
  void swap(growable_array& other) noexcept {
    std::swap(data_, other.data_);
    std::swap(size_, other.size_);
    std::swap(capacity_, other.capacity_);
  }

  T* data_ = nullptr;
  std::size_t size_ = 0;
  std::size_t capacity_ = 0;
};

}  // namespace cardset
