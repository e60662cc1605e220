#include "deck/deck.h"

#include <cstring>

namespace cardset {

bool append_card(deck& cards, std::string_view text) {
  if (cards.size == INT32_MAX) return false;
  const auto index = static_cast<std::size_t>(cards.size);
  const std::uint64_t start = cards.text_bytes.size();
  if ((index & ((std::size_t{1} << deck_group_shift) - 1)) == 0) {
    if (!cards.group_starts.push_back(start)) return false;
  }
  const std::uint64_t group_start = cards.group_starts[index >> deck_group_shift];
  // A group holds at most 65536 texts of at most 2047 bytes: well inside 32 bits.
  if (!cards.text_starts.push_back(static_cast<std::uint32_t>(start - group_start))) return false;
  if (!cards.text_bytes.append(text.data(), text.size())) return false;
  ++cards.size;
  return true;
}

bool finish_loading(deck& cards) {
  return cards.dealt_bits.assign_zeros((static_cast<std::size_t>(cards.size) + 63) / 64);
}

void clear_dealt(deck& cards) {
  if (cards.dealt_bits.size() == 0) return;
  std::memset(cards.dealt_bits.data(), 0, cards.dealt_bits.size() * sizeof(std::uint64_t));
}

}  // namespace cardset
