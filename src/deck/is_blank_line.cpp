#include "deck/is_blank_line.h"

namespace cardset {

bool is_blank_line(std::string_view line) {
  const auto* b = reinterpret_cast<const unsigned char*>(line.data());
  const std::size_t n = line.size();
  std::size_t i = 0;
  while (i < n) {
    const unsigned char c = b[i];
    if (c <= 0x80) {
      if (c != 0x20 && (c < 0x09 || c > 0x0D)) return false;
      i += 1;
    } else {
      if (i + 1 >= n || c != 0x81 || b[i + 1] != 0x40) return false;
      i += 2;
    }
  }
  return true;
}

}  // namespace cardset
