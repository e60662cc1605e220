#pragma once

#include <cstdint>
#include <string>

namespace cardset {

// The four values of "config.txt", filled once and never changed.
struct run_settings {
  std::string deck_path;  // 0 to 255 bytes, used as read
  double draw_probability = 0.0;
  std::int32_t cards_per_set = 0;
  std::int32_t set_count = 0;
};

}  // namespace cardset
