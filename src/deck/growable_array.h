#pragma once

#include <bit>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <type_traits>
#include <utility>

namespace cardset {

// realloc, with a hint to the system that large blocks may use huge pages:
// a big deck touches a gigabyte or more of fresh memory, and faulting it in
// 4 KiB pages costs more than everything else that loading does.
void* reallocate_block(void* block, std::size_t bytes);

// Every growth goes through this function, so that tests can make any one of
// them fail.
inline void* (*growable_reallocate)(void* block, std::size_t bytes) = reallocate_block;

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

  // Appends without a capacity check, within room made by reserve_more.
  void push_back_reserved(T value) { data_[size_++] = value; }

  // Drops values from the end.
  void shrink_to(std::size_t count) { size_ = count < size_ ? count : size_; }

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

// Values in segments that never move once placed: growth adds a segment
// instead of copying what is there (where the system cannot remap a block,
// realloc copies it whole on every growth and touches twice the memory).
// Segment 0 holds positions [0, B) and segment k > 0 holds [B * 2^(k-1),
// B * 2^k), with B = 2^base_shift, so the capacity doubles with each segment
// and small arrays stay small. A range handed out by room never straddles
// two segments.
template <typename T, unsigned base_shift>
class segmented_array {
  static_assert(std::is_trivially_copyable_v<T>);

 public:
  segmented_array() = default;
  segmented_array(const segmented_array&) = delete;
  segmented_array& operator=(const segmented_array&) = delete;
  segmented_array(segmented_array&& other) noexcept { swap(other); }
  segmented_array& operator=(segmented_array&& other) noexcept {
    swap(other);
    return *this;
  }
  ~segmented_array() {
    for (std::size_t s = 0; s < segments_.size(); ++s) std::free(segments_[s]);
  }

  static std::size_t segment_of(std::size_t position) {
    return static_cast<std::size_t>(std::bit_width(position >> base_shift));
  }
  static std::size_t segment_start(std::size_t segment) {
    return segment == 0 ? 0 : std::size_t{1} << (base_shift + segment - 1);
  }
  static std::size_t segment_length(std::size_t segment) {
    return std::size_t{1} << (segment == 0 ? base_shift : base_shift + segment - 1);
  }

  std::size_t size() const { return size_; }
  // The count of values in use, as the owner counts them.
  void set_size(std::size_t count) { size_ = count; }

  T* at(std::size_t position) {
    const std::size_t segment = segment_of(position);
    return segments_[segment] + (position - segment_start(segment));
  }
  const T* at(std::size_t position) const {
    const std::size_t segment = segment_of(position);
    return segments_[segment] + (position - segment_start(segment));
  }
  T& operator[](std::size_t position) { return *at(position); }
  const T& operator[](std::size_t position) const { return *at(position); }

  // Makes [position, position + count) usable and returns where it starts,
  // or nullptr when memory runs out. The range must lie in one segment.
  [[nodiscard]] T* room(std::size_t position, std::size_t count) {
    const std::size_t segment = segment_of(position);
    if (count > segment_start(segment) + segment_length(segment) - position) return nullptr;
    while (segments_.size() <= segment) {
      if (!segments_.reserve_more(1)) return nullptr;
      void* block = growable_reallocate(nullptr, segment_length(segments_.size()) * sizeof(T));
      if (block == nullptr) return nullptr;
      segments_.push_back_reserved(static_cast<T*>(block));
    }
    return at(position);
  }

  [[nodiscard]] bool push_back(T value) {
    T* place = room(size_, 1);
    if (place == nullptr) return false;
    *place = value;
    ++size_;
    return true;
  }

 private:
  void swap(segmented_array& other) noexcept {
    std::swap(segments_, other.segments_);
    std::swap(size_, other.size_);
  }

  growable_array<T*> segments_;
  std::size_t size_ = 0;
};

}  // namespace cardset
