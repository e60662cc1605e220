// Deals sets from a deck with a seed of the caller's choosing and prints
// them, using the cardset library instead of the tool:
//   cardset_consumer DECK [SEED [CARDS_PER_SET [SETS [DRAW_PROBABILITY]]]]
// The same seed gives the same sets every time.

#include <charconv>
#include <cstdint>
#include <cstdio>
#include <string_view>
#include <system_error>

#include "deal/deal_set.h"
#include "deal/random_source.h"
#include "deck/load_deck.h"

#ifdef _WIN32
#include "platform/win32_platform.h"
using native_platform = cardset::win32_platform;
#else
#include "platform/posix_platform.h"
using native_platform = cardset::posix_platform;
#endif

namespace {

// Reads a whole argument as a number; false if any of it is not one.
template <typename number>
bool parse_argument(std::string_view text, number& value) {
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc{} && end == text.data() + text.size();
}

// Prints each drawn card as one line.
void print_card(void* /*context*/, std::string_view text) {
  std::fwrite(text.data(), 1, text.size(), stdout);
  std::fputc('\n', stdout);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || argc > 6) {
    std::fprintf(stderr, "usage: %s DECK [SEED [CARDS_PER_SET [SETS [DRAW_PROBABILITY]]]]\n",
                 argv[0]);
    return 2;
  }
  std::uint32_t seed_value = 2026;
  std::int32_t cards_per_set = 5;
  std::int32_t set_count = 3;
  double draw_probability = 0.5;
  if ((argc > 2 && !parse_argument(argv[2], seed_value)) ||
      (argc > 3 && !parse_argument(argv[3], cards_per_set)) ||
      (argc > 4 && !parse_argument(argv[4], set_count)) ||
      (argc > 5 && !parse_argument(argv[5], draw_probability))) {
    std::fprintf(stderr, "%s: the seed, counts and probability must be numbers\n", argv[0]);
    return 2;
  }

  native_platform system;
  cardset::deck_load loaded = cardset::load_deck(system, argv[1]);
  if (loaded.status != cardset::deck_status::loaded) {
    std::fprintf(stderr, "%s: cannot load the deck %s\n", argv[0], argv[1]);
    return 1;
  }
  cardset::deck& cards = loaded.cards;
  if (cardset::deck_too_small(cards.size, cards_per_set) ||
      !cardset::sets_can_complete(cards.size, draw_probability, cards_per_set, set_count)) {
    std::fprintf(stderr, "%s: %d sets of %d cards cannot be dealt from %d cards\n", argv[0],
                 set_count, cards_per_set, cards.size);
    return 1;
  }

  cardset::random_source source;
  cardset::seed(source, seed_value);
  std::uint32_t dealt_count = 0;
  const cardset::card_writer writer{nullptr, print_card};
  for (std::int32_t set = 1; set <= set_count; ++set) {
    std::printf("set %d:\n", set);
    const std::int32_t drawn =
        cardset::deal_set(cards, draw_probability, cards_per_set, source, dealt_count, writer);
    cardset::apply_recycle_rule(cards, dealt_count, cards.size);
    std::printf("(%d cards)\n", drawn);
  }
  return 0;
}
