#include "deal/deal_set.h"

#include <array>
#include <cmath>

namespace cardset {
namespace {

// Visits are looked at in batches of this many generator values.
constexpr std::size_t batch = 64;

// jumps[j] advances the state by j steps, for j from 0 to batch.
constexpr std::array<random_jump, batch + 1> make_jumps() {
  std::array<random_jump, batch + 1> jumps{};
  for (std::size_t j = 0; j <= batch; ++j) jumps[j] = jump_of(j);
  return jumps;
}
constexpr auto jumps = make_jumps();

void draw_card(deck& cards, std::int32_t index, std::uint32_t& dealt_count, card_writer writer) {
  writer.write(writer.context, card_text(cards, index));
  mark_dealt(cards, index);
  ++dealt_count;
}

// Whether the walk would end: some value passes, and enough cards are undealt.
bool set_can_end(const deck& cards, std::int32_t largest, std::int32_t cards_per_set,
                 std::uint32_t dealt_count) {
  return largest >= 0 &&
         std::int64_t{cards.size} - std::int64_t{dealt_count} >= std::int64_t{cards_per_set};
}

}  // namespace

std::int32_t largest_passing_value(double draw_probability) {
  if (std::isnan(draw_probability)) return 32767;
  // The product grows with r, so the passing values are 0 up to some r.
  std::int32_t low = -1;  // passes (or -1)
  std::int32_t high = 32768;  // fails (or past the end)
  while (high - low > 1) {
    const std::int32_t mid = low + (high - low) / 2;
    if (static_cast<double>(mid) * draw_scale <= draw_probability) {
      low = mid;
    } else {
      high = mid;
    }
  }
  return low;
}

std::int32_t recycle_limit(std::int32_t deck_size) {
  return static_cast<std::int32_t>(static_cast<double>(deck_size) * 0.75);
}

std::int32_t deal_set(deck& cards, double draw_probability, std::int32_t cards_per_set,
                      random_source& source, std::uint32_t& dealt_count, card_writer writer) {
  if (cards_per_set <= 0) return 0;
  const std::int32_t largest = largest_passing_value(draw_probability);
  if (!set_can_end(cards, largest, cards_per_set, dealt_count)) return 0;

  const auto deck_size = static_cast<std::uint32_t>(cards.size);
  const auto passing_limit = static_cast<std::uint32_t>(largest);
  std::int32_t drawn = 0;
  std::uint32_t cursor = 0;  // the card of the batch's first visit
  std::uint32_t state = source.state;
  for (;;) {
    // The values of the next batch of visits, each computed from the state
    // at the batch's start, so they do not wait on one another.
    std::array<std::uint32_t, batch> values;
    std::uint32_t smallest = 0x7FFF;
    for (std::size_t j = 0; j < batch; ++j) {
      values[j] = random_value_of(apply_jump(jumps[j + 1], state));
      smallest = values[j] < smallest ? values[j] : smallest;
    }
    if (smallest <= passing_limit) {
      for (std::size_t j = 0; j < batch; ++j) {
        if (values[j] > passing_limit) continue;
        std::uint32_t card = cursor + static_cast<std::uint32_t>(j);
        if (card >= deck_size) card %= deck_size;
        const auto index = static_cast<std::int32_t>(card);
        if (is_dealt(cards, index)) continue;
        draw_card(cards, index, dealt_count, writer);
        if (++drawn == cards_per_set) {
          source.state = apply_jump(jumps[j + 1], state);
          return drawn;
        }
      }
    }
    state = apply_jump(jumps[batch], state);
    cursor = static_cast<std::uint32_t>((std::uint64_t{cursor} + batch) % deck_size);
  }
}

std::int32_t deal_set_one_step(deck& cards, double draw_probability, std::int32_t cards_per_set,
                               random_source& source, std::uint32_t& dealt_count,
                               card_writer writer) {
  if (cards_per_set <= 0) return 0;
  if (!set_can_end(cards, largest_passing_value(draw_probability), cards_per_set, dealt_count)) {
    return 0;
  }
  std::int32_t drawn = 0;
  std::int32_t cursor = 0;
  while (drawn < cards_per_set) {
    const std::uint32_t r = next_value(source);
    const bool passes = !(static_cast<double>(r) * draw_scale > draw_probability);
    if (passes && !is_dealt(cards, cursor)) {
      draw_card(cards, cursor, dealt_count, writer);
      ++drawn;
    }
    cursor = cursor + 1 == cards.size ? 0 : cursor + 1;
  }
  return drawn;
}

void apply_recycle_rule(deck& cards, std::uint32_t& dealt_count, std::int32_t deck_size) {
  if (dealt_count > static_cast<std::uint32_t>(recycle_limit(deck_size))) {
    clear_dealt(cards);
    dealt_count = 0;
  }
}

bool sets_can_complete(std::int32_t deck_size, double draw_probability,
                       std::int32_t cards_per_set, std::int32_t set_count) {
  if (cards_per_set <= 0 || set_count <= 0) return true;
  if (largest_passing_value(draw_probability) < 0) return false;
  const std::int64_t per_set = cards_per_set;
  const std::int64_t sets_before_recycle = recycle_limit(deck_size) / per_set;  // k
  if (set_count <= sets_before_recycle) return true;
  return (sets_before_recycle + 1) * per_set <= deck_size;
}

}  // namespace cardset
