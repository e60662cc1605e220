#pragma once

#include <cstddef>
#include <string_view>

#include "deck/deck.h"
#include "platform/platform.h"
#include "platform/text_reader.h"

namespace cardset {

// The longest line a deck may hold, not counting its terminator.
inline constexpr std::size_t max_line_bytes = 2047;

enum class deck_status {
  loaded,
  open_failed,    // the deck file cannot be opened for reading
  read_failed,    // the platform reported an error while reading
  line_too_long,  // a line holds more than max_line_bytes before its terminator
  out_of_memory,
};

struct deck_load {
  deck_status status = deck_status::open_failed;
  deck cards;  // complete only when status is loaded
};

// Loads the deck file: opens it read-only, reads it whole in text mode, and
// closes it before returning, on every path. Each line that ends with LF and
// is not blank by is_blank_line becomes one card, in file order, its text cut
// at the line's first zero byte. Bytes after the last LF are ignored, however
// many. Nothing is kept when loading fails.
deck_load load_deck(platform& system, std::string_view deck_path,
                    std::size_t block_size = text_reader::default_block_size);

// Splits text-mode content into cards; the part of load_deck after the open.
// Exposed for tests and fuzzers, which feed it through odd-sized reads.
deck_status read_deck_lines(text_reader& content, deck& cards);

// True when the deck holds too few cards for a set: the size check, signed.
inline bool deck_too_small(std::int32_t deck_size, std::int32_t cards_per_set) {
  return deck_size < cards_per_set;
}

}  // namespace cardset
