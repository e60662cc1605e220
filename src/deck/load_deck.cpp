#include "deck/load_deck.h"

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "deck/is_blank_line.h"

namespace cardset {
namespace {

// Calls on_lf with the offset of every LF in bytes[0, count), in order, and
// stops at the first result other than loaded.
template <typename lf_visitor>
deck_status for_each_lf(const char* bytes, std::size_t count, lf_visitor&& on_lf) {
  std::size_t at = 0;
#if defined(__SSE2__)
  // 64 bytes at a time into one bit mask, so short lines cost a few
  // instructions each instead of a call.
  const __m128i lf = _mm_set1_epi8('\n');
  const auto lf_bits = [&](std::size_t from) {
    __m128i piece;
    std::memcpy(&piece, bytes + from, sizeof piece);
    return static_cast<std::uint64_t>(
        static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(piece, lf))));
  };
  for (; count - at >= 64; at += 64) {
    std::uint64_t mask =
        lf_bits(at) | lf_bits(at + 16) << 16 | lf_bits(at + 32) << 32 | lf_bits(at + 48) << 48;
    while (mask != 0) {
      const auto bit = static_cast<std::size_t>(std::countr_zero(mask));
      mask &= mask - 1;
      const deck_status status = on_lf(at + bit);
      if (status != deck_status::loaded) return status;
    }
  }
#endif
  while (at < count) {
    const void* found = std::memchr(bytes + at, '\n', count - at);
    if (found == nullptr) break;
    const auto offset = static_cast<std::size_t>(static_cast<const char*>(found) - bytes);
    const deck_status status = on_lf(offset);
    if (status != deck_status::loaded) return status;
    at = offset + 1;
  }
  return deck_status::loaded;
}

// Whether a line that starts with this byte can be blank at all; most lines
// are settled by their first byte.
constexpr std::array<bool, 256> make_may_be_blank() {
  std::array<bool, 256> table{};
  for (std::size_t c = 0; c < 256; ++c)
    table[c] = c == 0x20 || (c >= 0x09 && c <= 0x0D) || c >= 0x81;
  return table;
}
constexpr auto may_be_blank = make_may_be_blank();

// Where the split of one piece stands.
struct split_state {
  char* base;                   // the byte at base_position
  std::uint64_t base_position;  // the start of the line carried into the piece
  std::uint64_t line_start;     // the line being read
  std::uint64_t kept_end;       // the end of the texts kept so far
  std::uint64_t group_start;    // the start of the current group's first text
  std::uint32_t* starts;        // where the next card's start goes
  std::size_t starts_left;      // room there before a new segment of starts
  std::int32_t size;            // cards so far
  bool may_hold_zero;           // the piece, or the line carried into it, has a zero byte
  char* at(std::uint64_t position) const { return base + (position - base_position); }
};

constexpr std::uint32_t group_mask = (std::uint32_t{1} << deck_group_shift) - 1;

// Splits the content into cards as it arrives. Each piece is copied whole to
// the end of the deck's texts; the lines in it then stay where they landed,
// their LF serving as the separator after the text, until a line is dropped
// (blank) or cut (zero byte): from then on the piece's later lines are moved
// down behind the last kept text.
class deck_builder {
 public:
  // Pieces are at most this long, so that a piece and the line carried into
  // it always fit in one text segment.
  static constexpr std::size_t max_piece_bytes = std::size_t{1} << (text_segment_shift - 2);

  explicit deck_builder(deck& cards) : cards_(cards) {}

  deck_status add_piece(const char* data, std::size_t arrived);

  // Drops an unterminated last line and makes the dealt flags.
  deck_status finish() {
    cards_.text_end = line_start_;
    return finish_loading(cards_) ? deck_status::loaded : deck_status::out_of_memory;
  }

 private:
  deck_status any_line(split_state& split, std::uint64_t lf);

  deck& cards_;
  std::uint64_t line_start_ = 0;  // where the line being read begins among the texts
  bool too_long_ = false;         // that line already holds more than max_line_bytes
};

// Any line, however it stands: too long, blank, with a zero byte, after a
// dropped line, at the start of a group or of a segment of starts.
deck_status deck_builder::any_line(split_state& split, std::uint64_t lf) {
  const std::uint64_t length = lf - split.line_start;
  if (length > max_line_bytes) return deck_status::line_too_long;
  const char* const line = split.at(split.line_start);
  auto text_length = static_cast<std::size_t>(length);
  if (split.may_hold_zero) {
    if (const void* zero = std::memchr(line, '\0', text_length)) {
      text_length = static_cast<std::size_t>(static_cast<const char*>(zero) - line);
    }
  }
  const bool keep = text_length != 0 && (!may_be_blank[static_cast<unsigned char>(line[0])] ||
                                         !is_blank_line({line, text_length}));
  if (keep) {
    if (split.size == INT32_MAX) return deck_status::out_of_memory;
    if (split.starts_left == 0) {
      using starts_array = decltype(cards_.text_starts);
      const auto index = static_cast<std::size_t>(split.size);
      const std::size_t segment = starts_array::segment_of(index);
      const std::size_t in_segment =
          starts_array::segment_start(segment) + starts_array::segment_length(segment) - index;
      split.starts_left = in_segment < 65536 ? in_segment : 65536;
      split.starts = cards_.text_starts.room(index, split.starts_left);
      if (split.starts == nullptr) return deck_status::out_of_memory;
    }
    if (split.kept_end != split.line_start || text_length != length) {
      char* const kept = split.at(split.kept_end);
      std::memmove(kept, line, text_length);
      kept[text_length] = card_separator;
    }
    if ((static_cast<std::uint32_t>(split.size) & group_mask) == 0) {
      split.group_start = split.kept_end;
      cards_.group_starts.push_back_reserved(split.group_start);
    }
    // A group holds at most 65536 texts of at most 2048 bytes each, and
    // skips at most a few segment tails: well inside 32 bits.
    *split.starts++ = static_cast<std::uint32_t>(split.kept_end - split.group_start);
    --split.starts_left;
    ++split.size;
    split.kept_end += text_length + 1;
  }
  split.line_start = lf + 1;
  return deck_status::loaded;
}

deck_status deck_builder::add_piece(const char* data, std::size_t arrived) {
  if (too_long_) {
    // The line is refused once its terminator shows; without one it is ignored.
    return std::memchr(data, '\n', arrived) == nullptr ? deck_status::loaded
                                                       : deck_status::line_too_long;
  }
  // Room first, so that the loop below needs no checks; a group begins at
  // most every 65536 cards.
  char* const place = text_room(cards_, line_start_, arrived);
  if (place == nullptr || !cards_.group_starts.reserve_more((arrived >> deck_group_shift) + 1)) {
    return deck_status::out_of_memory;
  }
  std::memcpy(place, data, arrived);
  // Everything below is in one segment, addressed from the carried line's start.
  const std::uint64_t piece_start = cards_.text_end;
  split_state split{};
  split.base_position = line_start_;
  split.base = place - (piece_start - line_start_);
  split.line_start = line_start_;
  split.kept_end = line_start_;
  split.size = cards_.size;
  split.group_start =
      split.size == 0
          ? 0
          : cards_.group_starts[static_cast<std::size_t>(split.size - 1) >> deck_group_shift];
  cards_.text_end += arrived;
  // One look for zero bytes per piece, from the start of the line carried into it.
  split.may_hold_zero =
      std::memchr(split.base, '\0', static_cast<std::size_t>(cards_.text_end - line_start_)) !=
      nullptr;

  // The common line (kept where it landed, not blank, no zero byte, inside
  // its group and its segment of starts) takes a few instructions, in
  // locals the compiler can keep in registers; any other goes to any_line.
  std::uint64_t line_start = split.line_start;
  std::uint64_t group_start = split.group_start;
  std::uint32_t* starts = split.starts;
  std::size_t starts_left = 0;
  std::int32_t size = split.size;
  bool in_place = !split.may_hold_zero;  // lines stay where they landed
  const char* const base = split.base;
  const std::uint64_t base_position = split.base_position;
  const auto on_lf = [&](std::size_t offset) {
    const std::uint64_t lf = piece_start + offset;
    const std::uint64_t length = lf - line_start;
    const auto first = static_cast<unsigned char>(base[line_start - base_position]);
    if (in_place && length - 1 < max_line_bytes && !may_be_blank[first] && starts_left != 0 &&
        (static_cast<std::uint32_t>(size) & group_mask) != 0) {
      *starts++ = static_cast<std::uint32_t>(line_start - group_start);
      --starts_left;
      ++size;
      line_start = lf + 1;
      return deck_status::loaded;
    }
    split.line_start = line_start;
    split.kept_end = in_place ? line_start : split.kept_end;
    split.group_start = group_start;
    split.starts = starts;
    split.starts_left = starts_left;
    split.size = size;
    const deck_status status = any_line(split, lf);
    line_start = split.line_start;
    group_start = split.group_start;
    starts = split.starts;
    starts_left = split.starts_left;
    size = split.size;
    in_place = !split.may_hold_zero && split.kept_end == line_start;
    return status;
  };
  const deck_status status = for_each_lf(place, arrived, on_lf);
  if (in_place) split.kept_end = line_start;
  split.line_start = line_start;
  cards_.size = size;
  cards_.text_starts.set_size(static_cast<std::size_t>(size));
  if (status != deck_status::loaded) return status;

  // The start of a line that goes on in the next piece, or an unterminated last line.
  std::uint64_t pending = cards_.text_end - split.line_start;
  if (split.kept_end != split.line_start) {
    std::memmove(split.at(split.kept_end), split.at(split.line_start),
                 static_cast<std::size_t>(pending));
  }
  line_start_ = split.kept_end;
  if (pending > max_line_bytes) {
    too_long_ = true;
    pending = 0;
  }
  cards_.text_end = line_start_ + pending;
  return deck_status::loaded;
}

}  // namespace

deck_status read_deck_lines(text_reader& content, deck& cards) {
  deck_builder builder(cards);
  for (std::span<const char> chunk = content.next_chunk(); !chunk.empty();
       chunk = content.next_chunk()) {
    for (std::size_t at = 0; at < chunk.size(); at += deck_builder::max_piece_bytes) {
      const std::size_t left = chunk.size() - at;
      const deck_status status = builder.add_piece(
          chunk.data() + at,
          left < deck_builder::max_piece_bytes ? left : deck_builder::max_piece_bytes);
      if (status != deck_status::loaded) return status;
    }
  }
  if (content.failed()) return deck_status::read_failed;
  return builder.finish();
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
