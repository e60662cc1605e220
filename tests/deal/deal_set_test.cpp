#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <set>
#include <string>
#include <vector>

#include "deal/deal_set.h"
#include "deck/deck.h"

namespace cardset {
namespace {

deck numbered(int count) {
  deck cards;
  for (int i = 1; i <= count; ++i) EXPECT_TRUE(append_card(cards, std::to_string(i)));
  EXPECT_TRUE(finish_loading(cards));
  return cards;
}

struct collected {
  std::vector<std::string> texts;
  card_writer writer() {
    return {this, [](void* self, std::string_view text) {
              static_cast<collected*>(self)->texts.emplace_back(text);
            }};
  }
};

using deal_function = std::int32_t (*)(deck&, double, std::int32_t, random_source&, std::uint32_t&,
                                       card_writer);

// The sets of a whole run, dealt as the set stage deals them.
std::vector<std::vector<std::string>> deal_sets(deal_function deal, int deck_size, double p,
                                                int per_set, int sets, std::uint32_t seed_value,
                                                std::uint32_t* final_state = nullptr) {
  deck cards = numbered(deck_size);
  random_source source;
  seed(source, seed_value);
  std::uint32_t dealt_count = 0;
  std::vector<std::vector<std::string>> out;
  for (int n = 0; n < sets; ++n) {
    collected got;
    const std::int32_t drawn = deal(cards, p, per_set, source, dealt_count, got.writer());
    EXPECT_EQ(drawn, per_set > 0 ? per_set : 0);
    EXPECT_EQ(static_cast<std::int32_t>(got.texts.size()), drawn);
    apply_recycle_rule(cards, dealt_count, cards.size);
    out.push_back(got.texts);
  }
  if (final_state != nullptr) *final_state = source.state;
  return out;
}

TEST(draw_scale, is_the_double_nearest_one_over_32767) {
  EXPECT_EQ(32767.0 * draw_scale, 1.0);
  EXPECT_EQ(draw_scale, 1.0 / 32767.0);
}

TEST(draw_test, passes_values_from_zero_up_to_a_bound) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const std::pair<double, std::int32_t> rows[] = {
      {-1.0, -1},      {-1e-300, -1},     {0.0, 0},     {-0.0, 0},       {draw_scale / 2, 0},
      {draw_scale, 1}, {0.25, 8191},      {0.5, 16383}, {0.75, 24575},   {1.0, 32767},
      {1e308, 32767},  {HUGE_VAL, 32767}, {nan, 32767}, {-HUGE_VAL, -1},
  };
  for (const auto& [p, largest] : rows) {
    EXPECT_EQ(largest_passing_value(p), largest) << p;
    // The bound agrees with the plain test at every value.
    for (std::int32_t r = 0; r <= 32767; ++r) {
      const bool passes = !(static_cast<double>(r) * draw_scale > p);
      ASSERT_EQ(passes, r <= largest) << p << " " << r;
    }
  }
}

TEST(recycle_limit, is_three_quarters_truncated) {
  const std::pair<std::int32_t, std::int32_t> rows[] = {
      {0, 0}, {1, 0}, {2, 1}, {3, 2}, {4, 3}, {10, 7}, {INT32_MAX, 1610612735}};
  for (const auto& [n, limit] : rows) EXPECT_EQ(recycle_limit(n), limit) << n;
}

TEST(deal_set, at_probability_one_takes_undealt_cards_in_deck_order) {
  std::uint32_t state = 0;
  const auto sets = deal_sets(deal_set, 10, 1.0, 3, 4, 7, &state);
  using lines = std::vector<std::string>;
  EXPECT_EQ(sets[0], (lines{"1", "2", "3"}));
  EXPECT_EQ(sets[1], (lines{"4", "5", "6"}));
  EXPECT_EQ(sets[2], (lines{"7", "8", "9"}));
  EXPECT_EQ(sets[3], (lines{"1", "2", "3"}));  // 9 dealt > 7: all put back
  // 3 + 6 + 9 + 3 visits, one value each.
  EXPECT_EQ(state, apply_jump(jump_of(21), 7));
}

TEST(deal_set, counts_sets_per_cycle_for_a_ten_card_deck) {
  const std::pair<int, int> cycle_by_per_set[] = {{1, 8}, {2, 4}, {3, 3}, {4, 2},
                                                  {5, 2}, {8, 1}, {9, 1}, {10, 1}};
  for (const auto& [per_set, cycle] : cycle_by_per_set) {
    deck cards = numbered(10);
    random_source source;
    seed(source, 99);
    std::uint32_t dealt_count = 0;
    collected ignored;
    int sets = 0;
    do {
      (void)deal_set(cards, 0.5, per_set, source, dealt_count, ignored.writer());
      apply_recycle_rule(cards, dealt_count, cards.size);
      ++sets;
    } while (dealt_count != 0);
    EXPECT_EQ(sets, cycle) << per_set;
  }
}

TEST(deal_set, never_deals_a_card_twice_between_recycles) {
  for (std::uint32_t s = 0; s < 20; ++s) {
    const auto sets = deal_sets(deal_set, 10, 0.3, 2, 12, s * 7919);
    std::set<std::string> since_recycle;
    for (std::size_t n = 0; n < sets.size(); ++n) {
      for (const auto& card : sets[n]) EXPECT_TRUE(since_recycle.insert(card).second);
      if ((n + 1) % 4 == 0) since_recycle.clear();  // 2 per set, limit 7: a cycle of 4 sets
    }
  }
}

TEST(deal_set, writes_cards_in_drawing_order_after_a_wrap) {
  // Seed 1 gives 41, 18467, 6334, 26500, ...: at 0.2 (passing r <= 6553) the
  // first pass over 3 cards draws card 1; later passes draw the others.
  const auto sets = deal_sets(deal_set_one_step, 3, 0.2, 3, 1, 1);
  ASSERT_EQ(sets[0].size(), 3u);
  EXPECT_EQ(sets[0][0], "1");
  EXPECT_EQ(deal_sets(deal_set, 3, 0.2, 3, 1, 1), sets);
}

TEST(deal_set, takes_no_value_when_cards_per_set_is_not_positive) {
  for (int per_set : {0, -1, INT32_MIN}) {
    std::uint32_t state = 0;
    const auto sets = deal_sets(deal_set, 4, 0.5, per_set, 3, 5, &state);
    EXPECT_EQ(state, 5u);
    for (const auto& s : sets) EXPECT_TRUE(s.empty());
  }
}

TEST(deal_set, returns_at_once_when_the_set_could_never_end) {
  deck cards = numbered(10);
  random_source source;
  seed(source, 3);
  std::uint32_t dealt_count = 0;
  collected got;
  EXPECT_EQ(deal_set(cards, -0.5, 3, source, dealt_count, got.writer()), 0);
  dealt_count = 8;  // only 2 undealt cards for a set of 3
  EXPECT_EQ(deal_set(cards, 1.0, 3, source, dealt_count, got.writer()), 0);
  EXPECT_EQ(deal_set_one_step(cards, 1.0, 3, source, dealt_count, got.writer()), 0);
  EXPECT_EQ(source.state, 3u);
  EXPECT_TRUE(got.texts.empty());
}

TEST(deal_set, matches_the_one_step_walk) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double probabilities[] = {0.0, -0.0, draw_scale, 0.001, 0.1, 0.5, 0.9, 1.0, 2.0, nan};
  const std::pair<int, int> shapes[] = {{1, 1},   {2, 1},   {3, 2},  {10, 3},    {10, 5},
                                        {63, 20}, {64, 48}, {65, 7}, {200, 150}, {1000, 37}};
  for (std::uint32_t s : {0u, 1u, 12345u, 0x80000000u, 0xFFFFFFFFu}) {
    for (double p : probabilities) {
      for (const auto& [deck_size, per_set] : shapes) {
        // Low probabilities on big sets take long one step at a time.
        if (p < 0.01 && deck_size * per_set > 2000) continue;
        std::uint32_t fast_state = 0;
        std::uint32_t reference_state = 0;
        // Runs of sets that could not all be completed are refused before
        // dealing; those shapes deal one set.
        const int sets = sets_can_complete(deck_size, p, per_set, 6) ? 6 : 1;
        const auto fast = deal_sets(deal_set, deck_size, p, per_set, sets, s, &fast_state);
        const auto reference =
            deal_sets(deal_set_one_step, deck_size, p, per_set, sets, s, &reference_state);
        ASSERT_EQ(fast, reference) << s << " " << p << " " << deck_size << " " << per_set;
        ASSERT_EQ(fast_state, reference_state);
      }
    }
  }
}

TEST(sets_can_complete, follows_the_recycle_cycle) {
  struct row {
    std::int32_t deck_size;
    double p;
    std::int32_t per_set;
    std::int32_t sets;
    bool possible;
  };
  const row rows[] = {
      {10, 0.5, 6, 1, true},
      {10, 0.5, 6, 2, false},
      {10, 0.5, 7, 2, false},
      {10, 0.5, 5, 100, true},
      {3, 0.5, 2, 2, false},
      {3, 0.5, 2, 1, true},
      {4, 0.5, 3, 2, false},
      {8, 0.5, 3, 2, true},
      {8, 0.5, 3, 3, false},
      {8, 0.5, 5, 2, false},
      {8, 0.5, 6, 2, false},
      {8, 0.5, 4, 9, true},
      {10, -0.1, 1, 1, false},
      {10, -0.1, 0, 1, true},
      {10, -0.1, 1, 0, true},
      {10, std::numeric_limits<double>::quiet_NaN(), 3, 5, true},
      {1, 0.0, 1, 50, true},
      {0, 0.5, 0, 3, true},
      {INT32_MAX, 1.0, INT32_MAX, INT32_MAX, true},
      {INT32_MAX, 1.0, INT32_MAX / 2 + 1, 2, false},
  };
  for (const auto& r : rows) {
    EXPECT_EQ(sets_can_complete(r.deck_size, r.p, r.per_set, r.sets), r.possible)
        << r.deck_size << " " << r.p << " " << r.per_set << " " << r.sets;
  }
}

}  // namespace
}  // namespace cardset
