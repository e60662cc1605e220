// Loading decks from memory, so only our own work is measured: the text-mode
// translation, the line split, the blank test and the storage.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>

#include "deck/is_blank_line.h"
#include "deck/load_deck.h"
#include "platform/memory_platform.h"

namespace {

using namespace cardset;

// The lines of `seq 1 count`.
std::string numbers_deck(std::int64_t count) {
  std::string bytes;
  for (std::int64_t i = 1; i <= count; ++i) {
    bytes += std::to_string(i);
    bytes += '\n';
  }
  return bytes;
}

// Lines of a few words, CR LF ended, with a blank line now and then.
std::string words_deck(std::int64_t count) {
  static const char* const words[] = {"apple",  "pear",   "plum", "quince", "cherry", "fig",
                                      "damson", "medlar", "sloe", "rowan",  "elder",  "haw"};
  std::string bytes;
  std::uint32_t state = 1;
  for (std::int64_t i = 0; i < count; ++i) {
    const int word_count = 3 + static_cast<int>(i % 6);
    for (int w = 0; w < word_count; ++w) {
      state = state * 214013u + 2531011u;
      if (w != 0) bytes += ' ';
      bytes += words[(state >> 16) % 12];
    }
    bytes += "\r\n";
    if (i % 50 == 49) bytes += "\r\n";
  }
  return bytes;
}

void load(benchmark::State& state, const std::string& bytes, std::int64_t lines) {
  memory_platform files;
  files.set_file("deck.txt", bytes);
  for (auto _ : state) {
    deck_load loaded = load_deck(files, "deck.txt");
    if (loaded.status != deck_status::loaded) state.SkipWithError("the deck did not load");
    benchmark::DoNotOptimize(loaded.cards.size);
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(bytes.size()));
  state.SetItemsProcessed(state.iterations() * lines);
}

void load_numbers(benchmark::State& state) {
  const std::string bytes = numbers_deck(state.range(0));
  load(state, bytes, state.range(0));
}
BENCHMARK(load_numbers)->Arg(100000)->Arg(1000000)->Arg(10000000)->Unit(benchmark::kMillisecond);

void load_words(benchmark::State& state) {
  const std::string bytes = words_deck(state.range(0));
  load(state, bytes, state.range(0));
}
BENCHMARK(load_words)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

void blank_line_test(benchmark::State& state, std::string line) {
  std::int64_t blank = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(line.data());
    blank += is_blank_line(line) ? 1 : 0;
  }
  benchmark::DoNotOptimize(blank);
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(line.size()));
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK_CAPTURE(blank_line_test, number, std::string("12345678"));
BENCHMARK_CAPTURE(blank_line_test, words, std::string("quince medlar damson sloe"));
BENCHMARK_CAPTURE(blank_line_test, white_space, std::string(" \t \v\f \r   \t\t  "));
BENCHMARK_CAPTURE(blank_line_test, ideographic_spaces,
                  std::string("\x81\x40\x81\x40 \x81\x40\t\x81\x40\x81\x40\x81\x40\x81\x40"));

}  // namespace

BENCHMARK_MAIN();
