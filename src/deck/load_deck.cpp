#include "deck/load_deck.h"

#include <cstring>

#include "deck/is_blank_line.h"

namespace cardset {
namespace {

// Makes a card of one line unless it is blank; the text stops at a zero byte.
bool take_line(deck& cards, const char* line, std::size_t length, bool may_hold_zero) {
  if (may_hold_zero) {
    if (const void* zero = std::memchr(line, '\0', length)) {
      length = static_cast<std::size_t>(static_cast<const char*>(zero) - line);
    }
  }
  const std::string_view text(line, length);
  if (is_blank_line(text)) return true;
  return append_card(cards, text);
}

}  // namespace

deck_status read_deck_lines(text_reader& content, deck& cards) {
  // The line that runs past the end of a chunk is gathered here.
  char carried[max_line_bytes];
  std::size_t carried_length = 0;
  bool carried_too_long = false;

  for (std::span<const char> chunk = content.next_chunk(); !chunk.empty();
       chunk = content.next_chunk()) {
    const char* at = chunk.data();
    const char* const end = at + chunk.size();
    const bool may_hold_zero = std::memchr(at, '\0', chunk.size()) != nullptr;

    if (carried_length != 0 || carried_too_long) {
      const auto* lf = static_cast<const char*>(std::memchr(at, '\n', chunk.size()));
      const std::size_t piece = static_cast<std::size_t>((lf != nullptr ? lf : end) - at);
      if (carried_too_long || piece > max_line_bytes - carried_length) {
        carried_too_long = true;
      } else {
        std::memcpy(carried + carried_length, at, piece);
        carried_length += piece;
      }
      if (lf == nullptr) continue;
      if (carried_too_long) return deck_status::line_too_long;
      if (!take_line(cards, carried, carried_length, true)) return deck_status::out_of_memory;
      carried_length = 0;
      at = lf + 1;
    }

    for (;;) {
      const auto* lf = static_cast<const char*>(std::memchr(at, '\n', static_cast<std::size_t>(end - at)));
      const auto length = static_cast<std::size_t>((lf != nullptr ? lf : end) - at);
      if (lf == nullptr) {
        // The start of a line that goes on in the next chunk, or an unterminated last line.
        if (length > max_line_bytes) {
          carried_too_long = true;
        } else {
          std::memcpy(carried, at, length);
          carried_length = length;
        }
        break;
      }
      if (length > max_line_bytes) return deck_status::line_too_long;
      if (!take_line(cards, at, length, may_hold_zero)) return deck_status::out_of_memory;
      at = lf + 1;
    }
  }
  if (content.failed()) return deck_status::read_failed;
  // Whatever was carried had no terminator: it is not a line of the deck.
  return finish_loading(cards) ? deck_status::loaded : deck_status::out_of_memory;
}

deck_load load_deck(platform& system, std::string_view deck_path, std::size_t block_size) {
  deck_load result;
  const auto file = system.open_for_reading(deck_path);
  if (!file) return result;
  {
    text_reader content(system, *file, block_size);
    result.status = read_deck_lines(content, result.cards);
  }
  // The outcome of closing a file only read from changes nothing.
  (void)system.close(*file);
  if (result.status != deck_status::loaded) result.cards = deck{};
  return result;
}

}  // namespace cardset
