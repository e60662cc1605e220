#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "deck/growable_array.h"

namespace cardset {

// The ordered list of cards, owned outright: it keeps its own copy of every
// card's bytes, so nothing of it depends on the deck file once loaded.
//
// Storage fits decks of hundreds of millions of lines and never copies what
// it holds in order to grow (segmented_array). The texts stand back to back,
// each followed by one separator byte, so that a block of the deck file
// whose lines need no change is stored with a single copy; a text never
// straddles two segments, and the unused tail of a full segment is skipped.
// Each card keeps the 32-bit distance of its start from the start of its
// group of 65536 cards, each group its 64-bit start; the dealt flags are
// bits. That is about 5.1 bytes per card beside the texts themselves.
inline constexpr unsigned text_segment_shift = 20;   // the first segment: 1 MiB of text
inline constexpr unsigned start_segment_shift = 16;  // the first segment: 65536 starts
inline constexpr unsigned deck_group_shift = 16;
// Stands after each text; its value is never read. An LF, as in the file.
inline constexpr char card_separator = '\n';

struct deck {
  segmented_array<char, text_segment_shift> text_bytes;  // each text, then card_separator
  std::uint64_t text_end = 0;                            // the position after the last separator
  growable_array<std::uint64_t> segment_ends;            // per full segment: the end of its texts
  segmented_array<std::uint32_t, start_segment_shift>
      text_starts;                             // per card, from its group's start
  growable_array<std::uint64_t> group_starts;  // per group of cards
  growable_array<std::uint64_t> dealt_bits;    // one bit per card
  std::int32_t size = 0;                       // the deck size: the number of cards
};

// Appends a card with the given text. False when memory runs out or the deck
// already holds the most cards a signed 32-bit size can count.
[[nodiscard]] bool append_card(deck& cards, std::string_view text);

// Makes room for count more text bytes in one segment and returns where they
// go, or nullptr when memory runs out. When the current segment lacks the
// room, the next one is begun and the bytes from carried_from to the end (a
// line not yet complete) move there; carried_from is updated to match.
char* text_room(deck& cards, std::uint64_t& carried_from, std::size_t count);

// Makes the dealt flags, all false. Called once, after the last append.
[[nodiscard]] bool finish_loading(deck& cards);

inline std::uint64_t card_start(const deck& cards, std::int32_t index) {
  const auto i = static_cast<std::size_t>(index);
  return cards.group_starts[i >> deck_group_shift] + cards.text_starts[i];
}

inline std::string_view card_text(const deck& cards, std::int32_t index) {
  const std::uint64_t start = card_start(cards, index);
  std::uint64_t next = index + 1 < cards.size ? card_start(cards, index + 1) : cards.text_end;
  // The last text of a full segment ends where that segment's texts end.
  using texts = decltype(cards.text_bytes);
  const std::size_t segment = texts::segment_of(static_cast<std::size_t>(start));
  if (texts::segment_of(static_cast<std::size_t>(next)) != segment)
    next = cards.segment_ends[segment];
  return {cards.text_bytes.at(static_cast<std::size_t>(start)),
          static_cast<std::size_t>(next - 1 - start)};
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
