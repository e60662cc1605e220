// The settings reader, on typical and awkward settings texts.

#include <benchmark/benchmark.h>

#include <string>

#include "platform/memory_platform.h"
#include "run/read_settings.h"

namespace {

using namespace cardset;

void read_config(benchmark::State& state, std::string text) {
  memory_platform files;
  files.set_file("config.txt", text);
  for (auto _ : state) {
    auto read = read_settings(files);
    if (!read || !read->parse.complete()) state.SkipWithError("the settings did not read");
    if (read) (void)files.close(read->file);
    benchmark::DoNotOptimize(read);
  }
  state.SetItemsProcessed(state.iterations());
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(text.size()));
}
BENCHMARK_CAPTURE(read_config, plain, std::string("deck.txt 0.5 10 3\r\n"));
BENCHMARK_CAPTURE(
    read_config, long_numbers,
    std::string("decks/english.txt 0.333333333333333314829616256247390992939472198486328125e0 "
                "0000000000000000000000000042 2147483647\r\n"));
BENCHMARK_CAPTURE(read_config, spread_out,
                  std::string("\r\n\t  deck.txt\r\n\r\n  \t 1e-3 \v\f 7\r\n\r\n 12 \r\n"));

}  // namespace

BENCHMARK_MAIN();
