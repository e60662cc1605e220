// Whole runs at the edges of every value's range: the largest and smallest
// counts, probabilities far outside 0 to 1, subnormals and negative zero, the
// smallest deck, and lines at the length limit. Built with the sanitizers,
// these also show that the edges are defined behaviour.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/memory_platform.h"
#include "support/run_fixture.h"

namespace cardset {
namespace {

using testing::crlf_lines;
using testing::numbered_deck;
using testing::report_of;
using testing::run_on;
using testing::set_file_names;

constexpr std::uint32_t tick = 0xCAFEF00Du;

struct whole_run {
  int status = -1;
  std::vector<std::string> set_names;
  std::vector<std::string> set_contents;
  std::string standard_output;
  std::size_t open_files = 0;
};

whole_run run_with(const std::string& config, const std::string& deck,
                   void (*prepare)(memory_platform&) = nullptr) {
  memory_platform files(tick);
  files.set_file("config.txt", config);
  files.set_file("deck.txt", deck);
  if (prepare != nullptr) prepare(files);
  whole_run run;
  run.status = run_on(files).status;
  run.set_names = set_file_names(files);
  for (const auto& name : run.set_names) run.set_contents.push_back(files.file(name));
  run.standard_output = files.standard_output();
  run.open_files = files.open_file_count();
  return run;
}

TEST(extreme_values, probabilities_that_pass_only_a_zero_value_deal_alike) {
  // Everything from -0 up to just below draw_scale passes only r = 0; values
  // too small for a double read as zero of their sign.
  const whole_run zero = run_with("deck.txt 0 3 3", numbered_deck(10));
  ASSERT_EQ(zero.status, 0);
  ASSERT_EQ(zero.set_names.size(), 3u);
  for (const auto& content : zero.set_contents) {
    EXPECT_EQ(std::count(content.begin(), content.end(), '\n'), 3);
  }
  for (const char* probability :
       {"-0", "-0.0", "+0e999", "4.9e-324", "1e-320", "2.2250738585072014e-308", "1e-400",
        "-1e-400", "3.05e-5", "0.0000000000000000000000000000000000000000000000000000001"}) {
    SCOPED_TRACE(probability);
    const whole_run run =
        run_with(std::string("deck.txt ") + probability + " 3 3", numbered_deck(10));
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.set_contents, zero.set_contents);
    EXPECT_EQ(run.standard_output, zero.standard_output);
  }
}

TEST(extreme_values, probabilities_of_one_or_more_take_cards_in_deck_order) {
  const std::vector<std::string> in_order{crlf_lines({"1", "2", "3"}), crlf_lines({"4", "5", "6"}),
                                          crlf_lines({"7", "8", "9"}), crlf_lines({"1", "2", "3"})};
  for (const char* probability :
       {"1", "1e308", "+1E+308", "1.7976931348623157e308", "1.7976931348623159e308", "1e999",
        "123456789012345678901234567890123456789012345678901234567890", "1e99999999999999999999"}) {
    SCOPED_TRACE(probability);
    const whole_run run =
        run_with(std::string("deck.txt ") + probability + " 3 4", numbered_deck(10));
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.set_contents, in_order);
  }
}

TEST(extreme_values, counts_at_the_ends_of_their_range) {
  const std::string deck = numbered_deck(10);
  {
    SCOPED_TRACE("cards_per_set 2147483647: the deck is too small");
    const whole_run run = run_with("deck.txt 1 2147483647 1", deck);
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.set_names.empty());
    EXPECT_EQ(run.standard_output, "");
  }
  {
    SCOPED_TRACE("cards_per_set -2147483648: empty sets");
    const whole_run run = run_with("deck.txt 1 -2147483648 2", deck);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.set_contents, (std::vector<std::string>{"", ""}));
    EXPECT_EQ(run.standard_output, report_of(1, 0) + report_of(2, 0));
  }
  {
    SCOPED_TRACE("set_count -2147483648: no set at all");
    const whole_run run = run_with("deck.txt 1 1 -2147483648", deck);
    EXPECT_EQ(run.status, 0);
    EXPECT_TRUE(run.set_names.empty());
    EXPECT_EQ(run.standard_output, "");
  }
  // The largest set_count cannot be run to its end here; a folder in the
  // place of set file 3 stops it after two sets, which shows that the loop
  // and the cycle analysis take the count as it is.
  struct largest_count_case {
    const char* config;
    std::vector<std::string> sets;  // the contents of sets 1 and 2
    int drawn;
  };
  const largest_count_case cases[] = {
      {"deck.txt 1 1 2147483647", {"1\r\n", "2\r\n"}, 1},
      {"deck.txt 1 4 2147483647",
       {crlf_lines({"1", "2", "3", "4"}), crlf_lines({"5", "6", "7", "8"})},
       4},
      {"deck.txt 1 0 2147483647", {"", ""}, 0},
      {"deck.txt 1 -2147483648 2147483647", {"", ""}, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.config);
    const whole_run run = run_with(
        c.config, deck, [](memory_platform& files) { files.make_directory("cardset_3.qzt"); });
    EXPECT_EQ(run.status, 1);
    ASSERT_EQ(run.set_names,
              (std::vector<std::string>{"cardset_1.qzt", "cardset_2.qzt", "cardset_3.qzt"}));
    EXPECT_EQ(run.set_contents[0], c.sets[0]);
    EXPECT_EQ(run.set_contents[1], c.sets[1]);
    EXPECT_EQ(run.standard_output, report_of(1, c.drawn) + report_of(2, c.drawn));
    EXPECT_EQ(run.open_files, 0u);
  }
}

TEST(extreme_values, a_deck_of_one_card) {
  for (const char* probability : {"0", "0.5", "1"}) {
    SCOPED_TRACE(probability);
    const whole_run run = run_with(std::string("deck.txt ") + probability + " 1 3", "only\n");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.set_contents, (std::vector<std::string>(3, "only\r\n")));
    EXPECT_EQ(run.standard_output, report_of(1, 1) + report_of(2, 1) + report_of(3, 1));
  }
  EXPECT_EQ(run_with("deck.txt 1 2 1", "only\n").status, 1);
}

// A deck whose long line begins this many bytes before the first 256 KiB
// block boundary, so that the reader gathers it across two blocks.
std::string long_line_across_blocks(const std::string& line, std::size_t before_boundary) {
  std::string deck;
  const std::size_t start = 256 * 1024 - before_boundary;
  while (start - deck.size() > 1000) deck += std::string(998, 'p') + "\r\n";
  deck += std::string(start - deck.size() - 1, 'q') + "\n";
  return deck + line;
}

struct line_case {
  const char* what;
  std::string deck;
  int status;
  std::string first_card;  // the text set 1 holds, for a run that succeeds
};

TEST(extreme_values, lines_at_the_length_limit) {
  const std::string x2047(2047, 'x');
  const std::string x2048(2048, 'x');
  const line_case cases[] = {
      {"2047 bytes and LF", x2047 + "\n", 0, x2047},
      {"2047 bytes and CR LF", x2047 + "\r\n", 0, x2047},
      {"2048 bytes and LF", x2048 + "\n", 1, ""},
      {"2047 bytes, a lone CR, CR LF", x2047 + "\r\r\n", 1, ""},
      {"2048 bytes with a zero byte inside", std::string(2040, 'x') + '\0' + "1234567\n", 1, ""},
      {"2047 bytes with a zero byte inside",
       std::string(5, 'x') + '\0' + std::string(2041, 'y') + "\n", 0, "xxxxx"},
      {"an unterminated last line of 5000 bytes", "a\n" + std::string(5000, 'z'), 0, "a"},
      {"an unterminated last line of 2048 bytes after 0x1A", "a\n" + x2048 + "\x1A\n", 0, "a"},
      {"2047 bytes across a block boundary", long_line_across_blocks(x2047 + "\r\n", 1000), 0, ""},
      {"2047 bytes whose CR ends a block", long_line_across_blocks(x2047 + "\r\n", 2048), 0, ""},
      {"2048 bytes across a block boundary", long_line_across_blocks(x2048 + "\n", 1000), 1, ""},
      {"2048 bytes whose last byte ends a block", long_line_across_blocks(x2048 + "\n", 2048), 1,
       ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    // cards_per_set 0 for the long decks, so set 1 is empty whatever they hold.
    const bool small = c.deck.size() < 10000;
    const whole_run run = run_with(small ? "deck.txt 1 1 1" : "deck.txt 1 0 1", c.deck);
    EXPECT_EQ(run.status, c.status);
    EXPECT_EQ(run.open_files, 0u);
    if (c.status != 0) {
      EXPECT_TRUE(run.set_names.empty());
      EXPECT_EQ(run.standard_output, "");
    } else if (small) {
      EXPECT_EQ(run.set_contents, (std::vector<std::string>{c.first_card + "\r\n"}));
    }
  }
}

TEST(extreme_values, the_long_line_across_blocks_is_one_card) {
  // The last card of these decks is the long line; draw every card.
  const std::string x2047(2047, 'x');
  for (const std::size_t before : {std::size_t{1000}, std::size_t{2048}, std::size_t{1}}) {
    SCOPED_TRACE(before);
    const std::string deck = long_line_across_blocks(x2047 + "\r\n", before);
    const auto cards = static_cast<int>(std::count(deck.begin(), deck.end(), '\n'));
    const whole_run run = run_with("deck.txt 1 " + std::to_string(cards) + " 1", deck);
    ASSERT_EQ(run.status, 0);
    ASSERT_EQ(run.set_contents.size(), 1u);
    const std::string& set = run.set_contents[0];
    EXPECT_EQ(set.size(), deck.size() + static_cast<std::size_t>(cards) -
                              static_cast<std::size_t>(std::count(deck.begin(), deck.end(), '\r')));
    EXPECT_EQ(set.substr(set.size() - 2049), x2047 + "\r\n");
  }
}

}  // namespace
}  // namespace cardset
