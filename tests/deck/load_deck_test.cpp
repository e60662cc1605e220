#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "deck/is_blank_line.h"
#include "deck/load_deck.h"
#include "platform/memory_platform.h"
#include "platform/recording_platform.h"

namespace cardset {
namespace {

using std::string_literals::operator""s;

std::vector<std::string> texts_of(const deck& cards) {
  std::vector<std::string> out;
  for (std::int32_t i = 0; i < cards.size; ++i) out.emplace_back(card_text(cards, i));
  return out;
}

deck_load load(const std::string& bytes, std::size_t block_size = text_reader::default_block_size,
               std::size_t read_limit = 0) {
  memory_platform files;
  files.set_file("deck.txt", bytes);
  files.set_read_limit(read_limit);
  deck_load loaded = load_deck(files, "deck.txt", block_size);
  EXPECT_EQ(files.open_file_count(), 0u);
  return loaded;
}

struct deck_case {
  std::string file;
  std::vector<std::string> cards;
};

const std::string line2047(2047, 'x');

const deck_case deck_cases[] = {
    {"", {}},
    {"\n\n \n\t\n", {}},
    {"only line without terminator", {}},
    {"41\n42", {"41"}},
    {"A\r\nB\r\n", {"A", "B"}},
    {"A\rB\n", {"A\rB"}},
    {"A\r\r\n", {"A\r"}},
    {"A\n\x1A"
     "B\n",
     {"A"}},
    {"A\x1A\n", {}},
    {" \t\v\f\r\n\r\r\n", {}},
    {" x \n", {" x "}},
    {"\x81\x40\n\t\x81\x40 \x81\x40\n", {}},
    {"\x81\x41\n\x82\x40\na\x81\x40\n \x81\n\x81\x81\x40\n",
     {"\x81\x41", "\x82\x40", "a\x81\x40", " \x81", "\x81\x81\x40"}},
    {"\x80\n\xA0\n", {"\x80", "\xA0"}},
    {"ab\0cd\n"s, {"ab"}},
    {"\0ab\n"s, {}},
    {" \0a\n"s, {}},
    {"same\nsame\n", {"same", "same"}},
    {"\xEF\xBB\xBF\n\xEF\xBB\xBF \nw\n", {"\xEF\xBB\xBF", "\xEF\xBB\xBF ", "w"}},
    {line2047 + "\n", {line2047}},
    {line2047 + "\r\n", {line2047}},  // the CR of CR LF does not count
    {std::string(3000, 'y'), {}},     // an unterminated tail is ignored, however long
    {"a\n" + std::string(3000, 'y'), {"a"}},
};

TEST(load_deck, splits_lines_by_the_text_rules_on_any_block_boundary) {
  for (const auto& c : deck_cases) {
    SCOPED_TRACE(testing::PrintToString(c.file.substr(0, 40)));
    for (std::size_t block :
         {std::size_t{1}, std::size_t{2}, std::size_t{3}, std::size_t{7}, std::size_t{2047},
          std::size_t{2048}, text_reader::default_block_size}) {
      const deck_load loaded = load(c.file, block);
      ASSERT_EQ(loaded.status, deck_status::loaded) << "block " << block;
      EXPECT_EQ(texts_of(loaded.cards), c.cards) << "block " << block;
    }
    const deck_load trickled = load(c.file, text_reader::default_block_size, 1);
    EXPECT_EQ(texts_of(trickled.cards), c.cards);
  }
}

TEST(load_deck, refuses_a_line_longer_than_the_limit) {
  for (const std::string& file :
       {std::string(2048, 'x') + "\n", std::string(2047, 'x') + "\r\r\n",
        "a\n" + std::string(2048, '\0') + "\n", std::string(5000, 'x') + "\nb\n"}) {
    for (std::size_t block :
         {std::size_t{1}, std::size_t{5}, std::size_t{2048}, text_reader::default_block_size}) {
      const deck_load loaded = load(file, block);
      EXPECT_EQ(loaded.status, deck_status::line_too_long) << "block " << block;
      EXPECT_EQ(loaded.cards.size, 0);
    }
  }
}

TEST(load_deck, fails_to_open_a_missing_file_a_directory_or_an_empty_name) {
  memory_platform files;
  files.make_directory("folder");
  EXPECT_EQ(load_deck(files, "missing.txt").status, deck_status::open_failed);
  EXPECT_EQ(load_deck(files, "folder").status, deck_status::open_failed);
  EXPECT_EQ(load_deck(files, "").status, deck_status::open_failed);
}

TEST(load_deck, fails_on_a_read_error_and_closes_the_file) {
  memory_platform files;
  files.set_file("deck.txt", "a\nb\nc\n");
  files.set_read_limit(2);
  for (std::size_t failing_read = 1; failing_read <= 4; ++failing_read) {
    recording_platform recorded(files);
    recorded.fail_call(failing_read);  // call 0 is the open
    const deck_load loaded = load_deck(recorded, "deck.txt");
    EXPECT_EQ(loaded.status, deck_status::read_failed);
    EXPECT_EQ(loaded.cards.size, 0);
    EXPECT_EQ(recorded.calls().back().kind, call_kind::close);
    EXPECT_EQ(files.open_file_count(), 0u);
  }
}

TEST(load_deck, reports_running_out_of_memory) {
  const auto real = growable_reallocate;
  growable_reallocate = [](void*, std::size_t) -> void* { return nullptr; };
  const deck_load loaded = load("a\nb\n");
  growable_reallocate = real;
  EXPECT_EQ(loaded.status, deck_status::out_of_memory);
}

TEST(load_deck, keeps_texts_apart_across_storage_groups) {
  std::string file;
  const int count = (1 << deck_group_shift) * 2 + 5;
  for (int i = 0; i < count; ++i) file += std::to_string(i) + "\n";
  const deck_load loaded = load(file);
  ASSERT_EQ(loaded.cards.size, count);
  for (int i : {0, 65535, 65536, 65537, 131071, 131072, count - 1}) {
    EXPECT_EQ(card_text(loaded.cards, i), std::to_string(i));
    EXPECT_FALSE(is_dealt(loaded.cards, i));
  }
}

TEST(deck_size_check, compares_signed) {
  EXPECT_FALSE(deck_too_small(3, 3));
  EXPECT_TRUE(deck_too_small(3, 4));
  EXPECT_FALSE(deck_too_small(0, 0));
  EXPECT_FALSE(deck_too_small(0, -5));
  EXPECT_FALSE(deck_too_small(0, INT32_MIN));
}

TEST(is_blank_line, pairs_lead_bytes_from_the_left) {
  const std::pair<std::string, bool> cases[] = {
      {"", true},
      {" \t\v\f\r", true},
      {"\x81\x40", true},
      {"\x81\x40 \x81\x40", true},
      {"\x81\x41", false},
      {"\x82\x40", false},
      {"a", false},
      {"\x80", false},
      {"\xA0", false},
      {" \x81", false},
      {"\x81\x81\x40", false},
      {"\x81\x40\x81", false},
      {"\x9F\x40", false},
      {"\xFF\x40", false},
      {"\x1A", false},
  };
  for (const auto& [line, blank] : cases) {
    EXPECT_EQ(is_blank_line(line), blank) << testing::PrintToString(line);
  }
}

}  // namespace
}  // namespace cardset
