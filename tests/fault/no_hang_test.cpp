// No settings make the run walk for ever: a set that could never be completed
// ends the run with status 1 before any set file is created or truncated,
// while the same settings with one set fewer, or with no card to draw, run.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/memory_platform.h"
#include "support/run_fixture.h"

namespace cardset {
namespace {

using testing::numbered_deck;
using testing::run_on;

struct impossible_case {
  int deck_size;
  std::string probability;
  int cards_per_set;
  int sets;        // the first set count that cannot be completed
  bool fewer_run;  // whether sets - 1 sets can run (false when sets is 1)
};

TEST(no_hang, sets_that_cannot_complete_end_with_status_1_untouched) {
  const impossible_case cases[] = {
      // No generator value passes the draw test.
      {10, "-0.5", 1, 1, false},
      {10, "-1e308", 3, 1, false},
      {10, "-1e999", 3, 1, false},
      {10, "-4.9e-324", 1, 1, false},
      {10, "-3.0518509475997192e-05", 1, 1, false},
      // A cycle's last set starts with fewer undealt cards than it needs.
      {10, "1", 6, 2, true},
      {10, "0.5", 7, 2, true},
      {10, "1", 6, 2147483647, true},
      {3, "1", 2, 2, true},
      {4, "0.5", 3, 2, true},
      {8, "1", 3, 3, true},
      {8, "0.75", 5, 2, true},
      {8, "1", 6, 2, true},
  };
  for (const auto& c : cases) {
    for (const int sets : {c.sets, c.sets - 1}) {
      if (sets == c.sets - 1 && !c.fewer_run) continue;
      if (sets != c.sets && sets > 1000) continue;  // too many sets to run through
      const std::string config = "deck.txt " + c.probability + " " +
                                 std::to_string(c.cards_per_set) + " " + std::to_string(sets);
      SCOPED_TRACE(config + ", deck of " + std::to_string(c.deck_size));
      memory_platform files(7);
      files.set_file("config.txt", config);
      files.set_file("deck.txt", numbered_deck(c.deck_size));
      files.set_file("cardset_1.qzt", "older set\r\n");
      const auto run = run_on(files);
      if (sets == c.sets) {
        EXPECT_EQ(run.status, 1);
        for (const auto& call : run.calls) EXPECT_NE(call.kind, call_kind::open_for_writing);
        EXPECT_EQ(files.file("cardset_1.qzt"), "older set\r\n");
        EXPECT_FALSE(files.exists("cardset_2.qzt"));
        EXPECT_EQ(files.standard_output(), "");
      } else {
        EXPECT_EQ(run.status, 0);
        EXPECT_TRUE(files.exists("cardset_" + std::to_string(sets) + ".qzt"));
      }
      EXPECT_EQ(files.open_file_count(), 0u);
    }
  }
}

TEST(no_hang, nothing_to_draw_makes_no_walk_whatever_the_probability) {
  for (const char* config : {"deck.txt -1 0 2", "deck.txt -1e999 -5 2", "deck.txt -0.5 0 2"}) {
    SCOPED_TRACE(config);
    memory_platform files(7);
    files.set_file("config.txt", config);
    files.set_file("deck.txt", numbered_deck(3));
    EXPECT_EQ(run_on(files).status, 0);
    EXPECT_EQ(files.file("cardset_2.qzt"), "");
  }
}

TEST(no_hang, a_zero_probability_run_ends_with_distinct_cards) {
  // Only a generator value of 0 draws: one visit in 32768.
  for (const std::uint32_t tick : {0u, 1u, 0xFFFFFFFFu}) {
    SCOPED_TRACE(tick);
    memory_platform files(tick);
    files.set_file("config.txt", "deck.txt 0 3 3");
    files.set_file("deck.txt", numbered_deck(10));
    ASSERT_EQ(run_on(files).status, 0);
    std::string all;
    for (int n = 1; n <= 3; ++n) {
      const std::string& set = files.file("cardset_" + std::to_string(n) + ".qzt");
      EXPECT_EQ(std::count(set.begin(), set.end(), '\n'), 3);
      all += set;
    }
    // Nine cards, none twice: the rule puts the deck back only after set 3.
    std::vector<std::string> cards;
    for (std::size_t at = 0; at < all.size();) {
      const std::size_t end = all.find("\r\n", at);
      cards.push_back(all.substr(at, end - at));
      at = end + 2;
    }
    std::sort(cards.begin(), cards.end());
    EXPECT_EQ(std::adjacent_find(cards.begin(), cards.end()), cards.end());
    EXPECT_EQ(cards.size(), 9u);
  }
}

}  // namespace
}  // namespace cardset
