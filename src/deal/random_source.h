#pragma once

#include <cstdint>

namespace cardset {

// The run's one pseudo-random generator: a 32-bit linear congruential
// sequence whose values are bits 16 to 30 of the state, 0 to 32767.
struct random_source {
  std::uint32_t state = 1;
};

inline constexpr std::uint32_t random_multiplier = 214013;  // 0x343FD
inline constexpr std::uint32_t random_increment = 2531011;  // 0x269EC3

inline void seed(random_source& source, std::uint32_t value) { source.state = value; }

inline std::uint32_t random_value_of(std::uint32_t state) { return (state >> 16) & 0x7FFF; }

inline std::uint32_t next_value(random_source& source) {
  source.state = source.state * random_multiplier + random_increment;
  return random_value_of(source.state);
}

// The step taken k times at once: state after k steps = multiplier * state + increment.
struct random_jump {
  std::uint32_t multiplier = 1;
  std::uint32_t increment = 0;
};

// The jump of k steps, in O(log k).
constexpr random_jump jump_of(std::uint64_t steps) {
  random_jump total;
  random_jump power{random_multiplier, random_increment};
  while (steps != 0) {
    if ((steps & 1) != 0) {
      total = {total.multiplier * power.multiplier,
               total.increment * power.multiplier + power.increment};
    }
    power = {power.multiplier * power.multiplier,
             power.increment * power.multiplier + power.increment};
    steps >>= 1;
  }
  return total;
}

constexpr std::uint32_t apply_jump(random_jump jump, std::uint32_t state) {
  return jump.multiplier * state + jump.increment;
}

}  // namespace cardset
