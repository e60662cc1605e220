#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "platform/memory_platform.h"
#include "platform/recording_platform.h"
#include "run/read_settings.h"

namespace cardset {
namespace {

settings_parse parse(const std::string& content) {
  memory_platform files;
  files.set_file("config.txt", content);
  const auto read = read_settings(files);
  EXPECT_TRUE(read.has_value());
  return read ? read->parse : settings_parse{};
}

struct settings_case {
  std::string content;
  int fields_read;
  std::string deck_path;
  double draw_probability;
  std::int32_t cards_per_set;
  std::int32_t set_count;
};

TEST(read_settings, reads_the_grammar) {
  const settings_case cases[] = {
      {"cards.txt 0.5 3 10", 4, "cards.txt", 0.5, 3, 10},
      {"cards.txt\r\n0.5\r\n\r\n\t3\r\n10", 4, "cards.txt", 0.5, 3, 10},
      {"cards.txt 0.5 3 10 7 and some text\n", 4, "cards.txt", 0.5, 3, 10},
      {"cards.txt 0.5 3 10\x1A"
       "junk",
       4, "cards.txt", 0.5, 3, 10},
      {"\v\f cards.txt\t0.5 3 10", 4, "cards.txt", 0.5, 3, 10},
      {"deck.txt 1e 3 10", 1, "deck.txt", 0, 0, 0},
      {"deck.txt .25 +007 -2", 4, "deck.txt", 0.25, 7, -2},
      {"deck.txt 0.5-3 4", 4, "deck.txt", 0.5, -3, 4},
      {"deck.txt 0.5 2147483648 1", 2, "deck.txt", 0.5, 0, 0},
      {"deck.txt 0.5 3", 3, "deck.txt", 0.5, 3, 0},
      {"deck.txt 5. 2.5E+00 1", 3, "deck.txt", 5, 2, 0},   // set_count starts at the point
      {"deck.txt 5e-1 5e-1 1", 3, "deck.txt", 0.5, 5, 0},  // set_count starts at the letter
      {"deck.txt 0x10 1 1", 2, "deck.txt", 0, 0, 0},       // 0, then "x10" fails
      {"deck.txt 0,5 1 1", 2, "deck.txt", 0, 0, 0},
      {"deck.txt 1 0x10", 3, "deck.txt", 1, 0, 0},
      {"deck.txt inf 1 1", 1, "deck.txt", 0, 0, 0},
      {"deck.txt nan 1 1", 1, "deck.txt", 0, 0, 0},
      {"deck.txt + 1 1", 1, "deck.txt", 0, 0, 0},
      {"deck.txt . 1 1", 1, "deck.txt", 0, 0, 0},
      {"deck.txt -. 1 1", 1, "deck.txt", 0, 0, 0},
      {"deck.txt 1e+ 1 1", 1, "deck.txt", 0, 0, 0},
      {"deck.txt 1 - 1", 2, "deck.txt", 1, 0, 0},
      {"deck.txt 1 1 +", 3, "deck.txt", 1, 1, 0},
      {"deck.txt 1 -2147483648 2147483647", 4, "deck.txt", 1, INT32_MIN, INT32_MAX},
      {"deck.txt 1 -2147483649 1", 2, "deck.txt", 1, 0, 0},
      {"deck.txt 1 00000000000000000000000000042 1", 4, "deck.txt", 1, 42, 1},
      {"deck.txt 1 99999999999999999999999999999 1", 2, "deck.txt", 1, 0, 0},
      {"deck.txt 2147483648 1 1", 4, "deck.txt", 2147483648.0, 1, 1},
      {"deck.txt", 1, "deck.txt", 0, 0, 0},
      {"deck.txt ", 1, "deck.txt", 0, 0, 0},
      {"", 1, "", 0, 0, 0},
      {" \r\n\t ", 1, "", 0, 0, 0},
      {"\xEF\xBB\xBF"
       "deck.txt 1 1 1",
       4,
       "\xEF\xBB\xBF"
       "deck.txt",
       1, 1, 1},
      {"\x83\x4A\x81\x5B\x83\x68.txt 1 1 1", 4, "\x83\x4A\x81\x5B\x83\x68.txt", 1, 1, 1},
      {"\"a,b\".txt 1 1 1", 4, "\"a,b\".txt", 1, 1, 1},
      {"# comment\ndeck.txt 1 1 1", 1, "#", 0, 0, 0},  // the comment's first word is the name
  };
  for (const auto& c : cases) {
    const settings_parse got = parse(c.content);
    SCOPED_TRACE(c.content);
    EXPECT_EQ(got.fields_read, c.fields_read);
    EXPECT_EQ(got.values.deck_path, c.deck_path);
    if (c.fields_read >= 2) {
      EXPECT_EQ(got.values.draw_probability, c.draw_probability);
    }
    if (c.fields_read >= 3) {
      EXPECT_EQ(got.values.cards_per_set, c.cards_per_set);
    }
    if (c.fields_read >= 4) {
      EXPECT_EQ(got.values.set_count, c.set_count);
    }
    EXPECT_EQ(got.complete(), c.fields_read == 4);
  }
}

double probability_of(const std::string& number) {
  const settings_parse got = parse("d " + number + " 1 1");
  EXPECT_EQ(got.fields_read, 4) << number;
  return got.values.draw_probability;
}

TEST(read_settings, rounds_decimal_numbers_of_any_length) {
  EXPECT_EQ(probability_of("0.1"), 0.1);
  EXPECT_EQ(probability_of("-0.0"), 0.0);
  EXPECT_TRUE(std::signbit(probability_of("-0.0")));
  EXPECT_TRUE(std::signbit(probability_of("-0e5")));
  EXPECT_EQ(probability_of("1e999"), HUGE_VAL);
  EXPECT_EQ(probability_of("-1e999"), -HUGE_VAL);
  EXPECT_EQ(probability_of("1e-999"), 0.0);
  EXPECT_EQ(probability_of("1e308"), 1e308);
  EXPECT_EQ(probability_of("1e99999999999999999999999999"), HUGE_VAL);
  EXPECT_EQ(probability_of("1e-99999999999999999999999999"), 0.0);
  EXPECT_EQ(probability_of(std::string(5000, '0') + "0.25"), 0.25);
  EXPECT_EQ(probability_of("0." + std::string(5000, '0') + "25e5002"), 25.0);
  EXPECT_EQ(probability_of("4.9406564584124654e-324"), 4.9406564584124654e-324);
  EXPECT_EQ(probability_of("2.2250738585072014e-308"), 2.2250738585072014e-308);
  // Only 36 significant digits count: further digits before the point are
  // zeros, further digits after it are ignored.
  const std::string digits36 = "123456789012345678901234567890123456";
  EXPECT_EQ(probability_of(digits36 + "999"), 123456789012345678901234567890123456e3);
  EXPECT_EQ(probability_of("0." + digits36 + "999"), 0.123456789012345678901234567890123456);
  EXPECT_EQ(probability_of("0.000" + digits36 + "9"), 0.000123456789012345678901234567890123456);
  // The cut comes before rounding. 1 + 2^-53 lies halfway between 1 and the
  // next double; the 37-digit text below lies above it, but its 36-digit cut
  // lies below it.
  EXPECT_EQ(probability_of("1.000000000000000111022302462515654043"), 1.0);
  EXPECT_EQ(probability_of("1.00000000000000011102230246251565405"), 1.0000000000000002);
}

TEST(read_settings, takes_a_deck_path_of_255_bytes_but_not_256) {
  const std::string name255(255, 'n');
  EXPECT_EQ(parse(name255 + " 1 1 1").values.deck_path, name255);
  EXPECT_TRUE(parse(name255 + " 1 1 1").complete());
  const settings_parse too_long = parse(std::string(256, 'n') + " 1 1 1");
  EXPECT_TRUE(too_long.deck_path_too_long);
  EXPECT_TRUE(too_long.values.deck_path.empty());
  EXPECT_FALSE(too_long.complete());
}

TEST(read_settings, fails_only_when_the_file_cannot_be_opened) {
  memory_platform files;
  EXPECT_FALSE(read_settings(files).has_value());
  files.make_directory("config.txt");
  EXPECT_FALSE(read_settings(files).has_value());
}

TEST(read_settings, keeps_the_file_open_and_marks_a_read_error) {
  memory_platform files;
  files.set_file("config.txt", "deck.txt 1 1 1");
  recording_platform recorded(files);
  recorded.fail_call(1);  // the first read
  const auto read = read_settings(recorded);
  ASSERT_TRUE(read.has_value());
  EXPECT_TRUE(read->parse.read_failed);
  EXPECT_FALSE(read->parse.complete());
  EXPECT_EQ(files.open_file_count(), 1u);
}

}  // namespace
}  // namespace cardset
