// Feeds any bytes as a deck file to load_deck, through reads and blocks of
// odd and tiny sizes, and compares the cards with a one-pass split of the
// whole content written here as simply as possible.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "deck/load_deck.h"
#include "platform/memory_platform.h"
#include "platform/text_reader.h"

namespace {

using cardset::deck_status;

[[noreturn]] void difference(const char* what, std::size_t block, std::size_t read_limit,
                             std::size_t size) {
  std::fprintf(stderr, "difference in %s: block %zu, reads of %zu, deck of %zu bytes\n", what,
               block, read_limit, size);
  std::abort();
}

bool blank(const std::string& line) {
  for (std::size_t i = 0; i < line.size(); ++i) {
    const auto c = static_cast<unsigned char>(line[i]);
    if (c == ' ' || (c >= 0x09 && c <= 0x0D)) continue;
    if (c == 0x81 && i + 1 < line.size() && static_cast<unsigned char>(line[i + 1]) == 0x40) {
      ++i;
      continue;
    }
    return false;
  }
  return true;
}

struct simple_split {
  deck_status status = deck_status::loaded;
  std::vector<std::string> cards;
};

simple_split split_simply(const std::string& bytes) {
  // Text mode: cut at the first 0x1A, then each CR LF reads as LF.
  const std::string cut = bytes.substr(0, bytes.find('\x1A'));
  std::string text;
  for (std::size_t i = 0; i < cut.size(); ++i) {
    if (cut[i] == '\r' && i + 1 < cut.size() && cut[i + 1] == '\n') continue;
    text += cut[i];
  }
  simple_split out;
  std::string line;
  for (const char c : text) {
    if (c != '\n') {
      line += c;
      continue;
    }
    if (line.size() > 2047) return {deck_status::line_too_long, {}};
    const std::string card = line.substr(0, line.find('\0'));
    if (!blank(card)) out.cards.push_back(card);
    line.clear();
  }
  return out;  // what follows the last LF is no line
}

void check(const simple_split& simple, const std::string& content, std::size_t block,
           std::size_t read_limit, bool through_reader) {
  cardset::memory_platform files;
  files.set_file("deck.txt", content);
  files.set_read_limit(read_limit);
  cardset::deck_load got;
  if (through_reader) {
    const auto file = files.open_for_reading("deck.txt");
    if (!file) difference("opening", block, read_limit, content.size());
    {
      cardset::text_reader reader(files, *file, block);
      got.status = cardset::read_deck_lines(reader, got.cards);
    }
    if (!files.close(*file)) difference("closing", block, read_limit, content.size());
  } else {
    got = cardset::load_deck(files, "deck.txt", block);
  }
  if (files.open_file_count() != 0)
    difference("files left open", block, read_limit, content.size());
  if (got.status != simple.status) difference("status", block, read_limit, content.size());
  if (got.status != deck_status::loaded) return;
  if (got.cards.size != static_cast<std::int32_t>(simple.cards.size())) {
    difference("deck size", block, read_limit, content.size());
  }
  for (std::int32_t i = 0; i < got.cards.size; ++i) {
    if (cardset::card_text(got.cards, i) != simple.cards[static_cast<std::size_t>(i)]) {
      difference("card text", block, read_limit, content.size());
    }
    if (cardset::is_dealt(got.cards, i))
      difference("dealt flag", block, read_limit, content.size());
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string content(reinterpret_cast<const char*>(data), size);
  const simple_split simple = split_simply(content);
  // Three readings per input: every loaded deck costs a fresh 1 MiB text
  // segment, which the sanitizers make slow to map. Blocks and reads of
  // sizes that vary with the input cover the odd boundaries between them.
  check(simple, content, 4096, 0, false);
  check(simple, content, 1, 0, true);
  check(simple, content, 2 + size % 2039, size % 11, size % 2 == 0);
  return 0;
}
