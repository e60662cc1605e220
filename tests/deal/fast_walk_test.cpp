#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "deal/deal_set.h"
#include "deck/deck.h"

namespace cardset {

// Set in deal_set.cpp: whether the walk uses its AVX2 batch test.
extern bool deal_set_uses_wide_batches;

namespace {

using deal_function = std::int32_t (*)(deck&, double, std::int32_t, random_source&, std::uint32_t&,
                                       card_writer);

struct run_result {
  std::vector<std::int32_t> drawn;    // card numbers in drawing order, all sets
  std::vector<std::uint32_t> states;  // the generator state after each set
  friend bool operator==(const run_result&, const run_result&) = default;
};

// A whole run of sets as the set stage deals them, recycling between sets.
run_result run_sets(deal_function deal, std::int32_t deck_size, double p, std::int32_t per_set,
                    int sets, std::uint32_t seed_value) {
  deck cards;
  for (std::int32_t i = 0; i < deck_size; ++i) EXPECT_TRUE(append_card(cards, std::to_string(i)));
  EXPECT_TRUE(finish_loading(cards));
  random_source source;
  seed(source, seed_value);
  std::uint32_t dealt_count = 0;
  run_result result;
  const card_writer writer{
      &result.drawn, [](void* drawn, std::string_view text) {
        static_cast<std::vector<std::int32_t>*>(drawn)->push_back(std::stoi(std::string(text)));
      }};
  for (int n = 0; n < sets; ++n) {
    (void)deal(cards, p, per_set, source, dealt_count, writer);
    apply_recycle_rule(cards, dealt_count, deck_size);
    result.states.push_back(source.state);
  }
  return result;
}

// Puts the batch test back however the test ends.
class batch_choice {
 public:
  explicit batch_choice(bool wide) : saved_(deal_set_uses_wide_batches) {
    deal_set_uses_wide_batches = wide;
  }
  ~batch_choice() { deal_set_uses_wide_batches = saved_; }
  batch_choice(const batch_choice&) = delete;
  batch_choice& operator=(const batch_choice&) = delete;

 private:
  bool saved_;
};

// Both batch tests (the wide one where this processor has it), against the
// one-step walk: many seeds, the telling probabilities, decks around the
// batch size and larger, sets that wrap the deck and runs that recycle.
TEST(fast_walk, draws_what_the_one_step_walk_draws) {
  const bool wide_available = deal_set_uses_wide_batches;
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double probabilities[] = {0.0,   draw_scale / 2, draw_scale, 3 * draw_scale,
                                  0.001, 0.01,           0.25,       0.5,
                                  0.75,  0.999,          1.0,        nan};
  struct shape {
    std::int32_t deck_size;
    std::int32_t per_set;
    int sets;
  };
  const shape shapes[] = {{1, 1, 3},    {2, 1, 4},      {5, 3, 3},     {63, 40, 3},
                          {64, 64, 2},  {65, 16, 6},    {127, 30, 5},  {128, 1, 100},
                          {129, 96, 2}, {1000, 250, 4}, {4099, 700, 5}};
  std::uint32_t seed_value = 0x9E3779B9u;
  for (const bool wide : {false, true}) {
    if (wide && !wide_available) continue;
    const batch_choice choice(wide);
    for (int round = 0; round < 4; ++round) {
      seed_value = seed_value * 2654435761u + 12345u;
      for (const double p : probabilities) {
        for (const shape& s : shapes) {
          // One step at a time, low probabilities on big sets are slow.
          if (p < 0.02 && std::int64_t{s.per_set} * s.sets > 100) continue;
          const int sets = sets_can_complete(s.deck_size, p, s.per_set, s.sets) ? s.sets : 1;
          const run_result fast = run_sets(deal_set, s.deck_size, p, s.per_set, sets, seed_value);
          const run_result reference =
              run_sets(deal_set_one_step, s.deck_size, p, s.per_set, sets, seed_value);
          ASSERT_EQ(fast, reference) << "wide " << wide << " seed " << seed_value << " p " << p
                                     << " deck " << s.deck_size << " per set " << s.per_set;
        }
      }
    }
  }
}

// At the lowest probability a set is drawn over very many batches in which
// no value passes; seeds whose first values pass at once are among them.
TEST(fast_walk, matches_over_long_walks_at_the_lowest_probability) {
  const bool wide_available = deal_set_uses_wide_batches;
  for (const bool wide : {false, true}) {
    if (wide && !wide_available) continue;
    const batch_choice choice(wide);
    // State 0xA170F641 steps to 0 (value 0) at once; the others are plain seeds.
    for (const std::uint32_t s : {0u, 1u, 0xA170F641u, 0xFFFFFFFFu, 0x80000000u}) {
      EXPECT_EQ(run_sets(deal_set, 200, 0.0, 60, 2, s),
                run_sets(deal_set_one_step, 200, 0.0, 60, 2, s))
          << "wide " << wide << " seed " << s;
    }
  }
}

}  // namespace
}  // namespace cardset
