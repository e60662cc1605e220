// The dealing walk: the batched deal_set beside the one-step reference walk,
// on a fresh deck each time, reported as visits (generator values) per second.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>

#include "deal/deal_set.h"
#include "deck/deck.h"

namespace {

using namespace cardset;

deck numbered(int count) {
  deck cards;
  for (int i = 1; i <= count; ++i) {
    if (!append_card(cards, std::to_string(i))) return {};
  }
  if (!finish_loading(cards)) return {};
  return cards;
}

using deal_function = std::int32_t (*)(deck&, double, std::int32_t, random_source&, std::uint32_t&,
                                       card_writer);

constexpr std::uint32_t start_state = 12345;

// The number of generator steps that lead from one state to the other.
std::int64_t steps_between(std::uint32_t from, std::uint32_t to) {
  std::int64_t steps = 0;
  random_source source;
  seed(source, from);
  while (source.state != to) {
    (void)next_value(source);
    ++steps;
  }
  return steps;
}

void walk(benchmark::State& state, deal_function deal, double p) {
  const auto deck_size = static_cast<int>(state.range(0));
  const auto per_set = static_cast<std::int32_t>(state.range(1));
  std::uint64_t written_bytes = 0;
  const card_writer writer{&written_bytes, [](void* total, std::string_view text) {
                             *static_cast<std::uint64_t*>(total) += text.size();
                           }};
  deck cards = numbered(deck_size);
  std::uint32_t end_state = start_state;
  for (auto _ : state) {
    state.PauseTiming();
    clear_dealt(cards);
    random_source source;
    seed(source, start_state);
    std::uint32_t dealt_count = 0;
    state.ResumeTiming();
    benchmark::DoNotOptimize(deal(cards, p, per_set, source, dealt_count, writer));
    end_state = source.state;
  }
  benchmark::DoNotOptimize(written_bytes);
  state.SetItemsProcessed(state.iterations() * steps_between(start_state, end_state));
  state.counters["visits"] = static_cast<double>(steps_between(start_state, end_state));
}

void fast_walk(benchmark::State& state, double p) { walk(state, deal_set, p); }
void one_step_walk(benchmark::State& state, double p) { walk(state, deal_set_one_step, p); }

// Arguments: deck size, cards per set.
BENCHMARK_CAPTURE(fast_walk, p_0_5, 0.5)
    ->Args({10000, 7000})
    ->Args({1000000, 100000})
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(one_step_walk, p_0_5, 0.5)
    ->Args({10000, 7000})
    ->Args({1000000, 100000})
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(fast_walk, p_0, 0.0)
    ->Args({1000, 700})
    ->Args({10000, 7000})
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(one_step_walk, p_0, 0.0)
    ->Args({1000, 700})
    ->Args({10000, 7000})
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
