#pragma once

#include <bit>
#include <cstdint>
#include <string_view>

#include "deal/random_source.h"
#include "deck/deck.h"

namespace cardset {

// The double nearest to 1/32767, bit pattern 0x3F00002000400080.
inline constexpr double draw_scale = 3.0518509475997192e-05;
static_assert(std::bit_cast<std::uint64_t>(draw_scale) == 0x3F00002000400080u);

// Takes one drawn card's text, at the moment it is drawn.
struct card_writer {
  void* context = nullptr;
  void (*write)(void* context, std::string_view text) = nullptr;
};

// The largest generator value that passes the draw test, r * draw_scale
// compared with draw_probability (a NaN passes everything), or -1 when no
// value passes. The passing values are always 0 up to this one.
std::int32_t largest_passing_value(double draw_probability);

// The deck size times 0.75 in double precision, truncated toward zero.
std::int32_t recycle_limit(std::int32_t deck_size);

// Deals one set: walks the deck from its first card, wrapping at its end,
// takes one generator value per visit before looking at the card, and draws
// every undealt card whose value passes, handing its text to the writer,
// until cards_per_set are drawn. Returns drawn_in_set. A set that could never
// be completed (no passing value, or fewer undealt cards than cards_per_set)
// returns at once, drawing nothing.
std::int32_t deal_set(deck& cards, double draw_probability, std::int32_t cards_per_set,
                      random_source& source, std::uint32_t& dealt_count, card_writer writer);

// The same walk, one generator step and one card at a time, without the
// shortcuts of deal_set. Kept as the reference that deal_set must match.
std::int32_t deal_set_one_step(deck& cards, double draw_probability, std::int32_t cards_per_set,
                               random_source& source, std::uint32_t& dealt_count,
                               card_writer writer);

// Puts every card back once more than recycle_limit cards have been dealt.
void apply_recycle_rule(deck& cards, std::uint32_t& dealt_count, std::int32_t deck_size);

// Whether every one of set_count sets can be completed, from the cycle of the
// recycle rule: with L the recycle limit and k = L / cards_per_set, a cycle's
// set k + 1 starts with deck_size - k * cards_per_set undealt cards.
bool sets_can_complete(std::int32_t deck_size, double draw_probability, std::int32_t cards_per_set,
                       std::int32_t set_count);

}  // namespace cardset
