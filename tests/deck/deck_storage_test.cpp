#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "deck/is_blank_line.h"
#include "deck/load_deck.h"
#include "platform/memory_platform.h"

namespace cardset {
namespace {

// The cards of a deck file with LF line ends, split the plain way.
std::vector<std::string> plain_split(const std::string& file) {
  std::vector<std::string> cards;
  std::size_t at = 0;
  for (std::size_t lf = file.find('\n'); lf != std::string::npos; lf = file.find('\n', at)) {
    std::string line = file.substr(at, lf - at);
    line = line.substr(0, line.find('\0'));
    if (!is_blank_line(line)) cards.push_back(line);
    at = lf + 1;
  }
  return cards;
}

// Several MiB of lines of every length up to the limit, with blank lines and
// zero bytes among them, so texts cross the storage's segment ends.
std::string long_deck() {
  std::string file;
  std::uint32_t state = 7;
  auto next = [&state] {
    state = state * 1664525u + 1013904223u;
    return state >> 8;
  };
  while (file.size() < (std::size_t{5} << 20)) {
    const std::uint32_t kind = next() % 20;
    if (kind == 0) {
      file += " \t\n";
    } else if (kind == 1) {
      file += std::string("ab\0cd", 5) + "\n";
    } else {
      const std::size_t length = 1 + next() % (kind < 6 ? max_line_bytes : 40);
      file += std::string(length, static_cast<char>('a' + next() % 26));
      file += '\n';
    }
  }
  return file;
}

TEST(deck_storage, keeps_every_text_whole_across_segments) {
  const std::string file = long_deck();
  const std::vector<std::string> expected = plain_split(file);
  memory_platform files;
  files.set_file("deck.txt", file);
  for (std::size_t block :
       {std::size_t{4093}, text_reader::default_block_size, std::size_t{3} << 20}) {
    const deck_load loaded = load_deck(files, "deck.txt", block);
    ASSERT_EQ(loaded.status, deck_status::loaded);
    ASSERT_EQ(loaded.cards.size, static_cast<std::int32_t>(expected.size()));
    for (std::int32_t i = 0; i < loaded.cards.size; ++i) {
      ASSERT_EQ(card_text(loaded.cards, i), expected[static_cast<std::size_t>(i)])
          << "card " << i << " block " << block;
    }
  }
}

TEST(deck_storage, appends_texts_that_fill_a_segment_to_its_last_byte) {
  // 2047 bytes and a separator: 512 texts fill the first segment exactly.
  deck cards;
  std::vector<std::string> texts;
  for (int i = 0; i < 1500; ++i) {
    texts.emplace_back(i >= 512 && i % 3 == 2 ? std::size_t{5} : max_line_bytes,
                       static_cast<char>('A' + i % 26));
    ASSERT_TRUE(append_card(cards, texts.back()));
  }
  ASSERT_TRUE(finish_loading(cards));
  for (std::int32_t i = 0; i < cards.size; ++i) {
    ASSERT_EQ(card_text(cards, i), texts[static_cast<std::size_t>(i)]) << i;
  }
}

}  // namespace
}  // namespace cardset
