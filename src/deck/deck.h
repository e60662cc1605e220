#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "deck/growable_array.h"

namespace cardset {

// The ordered list of cards, owned outright: it keeps its own copy of every
// card's bytes, so nothing of it depends on the deck file once loaded.
//
// Storage fits decks of hundreds of millions of lines: the texts stand back
// to back in one buffer; each card keeps the 32-bit distance of its start
// from the start of its group of 65536 cards, and each group its 64-bit
// start; the dealt flags are bits. That is about 4.1 bytes per card beside
// the texts themselves.
struct deck {
  growable_array<char> text_bytes;
  growable_array<std::uint32_t> text_starts;   // per card, from its group's start
  growable_array<std::uint64_t> group_starts;  // per group of cards
  growable_array<std::uint64_t> dealt_bits;    // one bit per card
  std::int32_t size = 0;                       // the deck size: the number of cards
};

inline constexpr unsigned deck_group_shift = 16;

// Appends a card with the given text. False when memory runs out or the deck
// already holds the most cards a signed 32-bit size can count.
[[nodiscard]] bool append_card(deck& cards, std::string_view text);

// Makes the dealt flags, all false. Called once, after the last append.
[[nodiscard]] bool finish_loading(deck& cards);

inline std::uint64_t card_start(const deck& cards, std::int32_t index) {
  const auto i = static_cast<std::size_t>(index);
  return cards.group_starts[i >> deck_group_shift] + cards.text_starts[i];
}

inline std::string_view card_text(const deck& cards, std::int32_t index) {
  const std::uint64_t start = card_start(cards, index);
  const std::uint64_t end =
      index + 1 < cards.size ? card_start(cards, index + 1) : cards.text_bytes.size();
  return {cards.text_bytes.data() + start, static_cast<std::size_t>(end - start)};
}

inline bool is_dealt(const deck& cards, std::int32_t index) {
  const auto i = static_cast<std::size_t>(index);
  return ((cards.dealt_bits[i >> 6] >> (i & 63)) & 1u) != 0;
}

inline void mark_dealt(deck& cards, std::int32_t index) {
  const auto i = static_cast<std::size_t>(index);
  cards.dealt_bits[i >> 6] |= std::uint64_t{1} << (i & 63);
}

// Puts every card back: all dealt flags false.
void clear_dealt(deck& cards);

}  // namespace cardset
