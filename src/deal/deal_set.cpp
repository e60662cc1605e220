#include "deal/deal_set.h"

#include <array>
#include <cmath>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if (defined(__x86_64__) || defined(__i386__)) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#endif

namespace cardset {
namespace {

// Visits are looked at in batches of this many generator values.
constexpr std::size_t batch = 64;

// jumps[j] advances the state by j steps, for j from 0 to batch.
constexpr std::array<random_jump, batch + 1> make_jumps() {
  std::array<random_jump, batch + 1> jumps{};
  for (std::size_t j = 0; j <= batch; ++j) jumps[j] = jump_of(j);
  return jumps;
}
constexpr auto jumps = make_jumps();

// The values of the batch's visits, each taken from the state at the batch's
// start, so they do not wait on one another. Returns the smallest.
//
// A value is bits 16 to 30 of A * s + C (mod 2^32), where A and C jump j + 1
// steps. With s = sh * 2^16 + sl, A = ah * 2^16 + al and C = ch * 2^16 + cl,
// the top half of that sum is, mod 2^16:
//   high(al * sl) + low(ah * sl) + low(al * sh) + ch + carry(low(al * sl) + cl)
// which needs only 16-bit lanes, eight to a register on every x86-64.
struct batch_constants {
  alignas(16) std::array<std::uint16_t, batch> al, ah, ch, cl_flipped;
};

constexpr batch_constants make_batch_constants() {
  batch_constants k{};
  for (std::size_t j = 0; j < batch; ++j) {
    const random_jump jump = jumps[j + 1];
    k.al[j] = static_cast<std::uint16_t>(jump.multiplier & 0xFFFF);
    k.ah[j] = static_cast<std::uint16_t>(jump.multiplier >> 16);
    k.ch[j] = static_cast<std::uint16_t>(jump.increment >> 16);
    // Flipped top bit: unsigned order through the signed compare SSE2 has.
    k.cl_flipped[j] = static_cast<std::uint16_t>((jump.increment & 0xFFFF) ^ 0x8000);
  }
  return k;
}
constexpr batch_constants constants = make_batch_constants();

// The values one at a time, into values.
void batch_values(std::uint32_t state, std::array<std::uint16_t, batch>& values) {
  for (std::size_t j = 0; j < batch; ++j) {
    values[j] = static_cast<std::uint16_t>(random_value_of(apply_jump(jumps[j + 1], state)));
  }
}

#if defined(__SSE2__)
// Whether some value of the batch passes, eight lanes at a time. Most
// batches at low draw probabilities end here, so nothing is stored.
bool batch_passes(std::uint32_t state, std::uint32_t passing_limit) {
  const auto lanes = [](const std::array<std::uint16_t, batch>& from, std::size_t at) {
    __m128i v;
    std::memcpy(&v, from.data() + at, sizeof v);
    return v;
  };
  const __m128i sl = _mm_set1_epi16(static_cast<short>(state & 0xFFFF));
  const __m128i sh = _mm_set1_epi16(static_cast<short>(state >> 16));
  const __m128i flip = _mm_set1_epi16(static_cast<short>(0x8000));
  const __m128i value_bits = _mm_set1_epi16(0x7FFF);
  __m128i smallest = value_bits;
  for (std::size_t at = 0; at < batch; at += 8) {
    const __m128i al = lanes(constants.al, at);
    const __m128i cl_flipped = lanes(constants.cl_flipped, at);
    const __m128i low_sum = _mm_add_epi16(_mm_mullo_epi16(al, sl), _mm_xor_si128(cl_flipped, flip));
    // All ones where low + cl wrapped past 2^16, that is where low_sum < cl.
    const __m128i carry = _mm_cmpgt_epi16(cl_flipped, _mm_xor_si128(low_sum, flip));
    __m128i high =
        _mm_add_epi16(_mm_mulhi_epu16(al, sl), _mm_mullo_epi16(lanes(constants.ah, at), sl));
    high = _mm_add_epi16(high, _mm_mullo_epi16(al, sh));
    high = _mm_sub_epi16(_mm_add_epi16(high, lanes(constants.ch, at)), carry);
    smallest = _mm_min_epi16(smallest, _mm_and_si128(high, value_bits));
  }
  // Some lane at most the limit: not every lane greater than it.
  const __m128i limit = _mm_set1_epi16(static_cast<short>(passing_limit));
  return _mm_movemask_epi8(_mm_cmpgt_epi16(smallest, limit)) != 0xFFFF;
}
#else
bool batch_passes(std::uint32_t state, std::uint32_t passing_limit) {
  std::uint32_t smallest = 0x7FFF;
  for (std::size_t j = 0; j < batch; ++j) {
    const std::uint32_t value = random_value_of(apply_jump(jumps[j + 1], state));
    smallest = value < smallest ? value : smallest;
  }
  return smallest <= passing_limit;
}
#endif

// Not on Windows: mingw-w64's GCC does not align the stack to 32 bytes for
// AVX spills (GCC bug 54412), so the wide test would fault there.
#if (defined(__x86_64__) || defined(__i386__)) && (defined(__GNUC__) || defined(__clang__)) && \
    !defined(_WIN32)
#define CARDSET_WIDE_BATCH 1
// Whether some value of the batch passes, with eight 32-bit lanes: the state
// after j + 1 steps is A * s + C in one multiply. Chosen at run time, where
// the processor has AVX2.
struct batch_multipliers {
  alignas(32) std::array<std::uint32_t, batch> a, c;
};
constexpr batch_multipliers make_batch_multipliers() {
  batch_multipliers k{};
  for (std::size_t j = 0; j < batch; ++j) {
    k.a[j] = jumps[j + 1].multiplier;
    k.c[j] = jumps[j + 1].increment;
  }
  return k;
}
constexpr batch_multipliers multipliers = make_batch_multipliers();

__attribute__((target("avx2"))) bool batch_passes_wide(std::uint32_t state,
                                                       std::uint32_t passing_limit) {
  const __m256i s = _mm256_set1_epi32(static_cast<int>(state));
  // Bits 0 to 30 of a state: its value sits in bits 16 to 30, so the order
  // of these is the order of the values, and all are positive as signed.
  const __m256i low_bits = _mm256_set1_epi32(0x7FFFFFFF);
  __m256i smallest = low_bits;
  for (std::size_t at = 0; at < batch; at += 8) {
    __m256i a;
    __m256i c;
    std::memcpy(&a, multipliers.a.data() + at, sizeof a);
    std::memcpy(&c, multipliers.c.data() + at, sizeof c);
    const __m256i next = _mm256_add_epi32(_mm256_mullo_epi32(a, s), c);
    smallest = _mm256_min_epi32(smallest, _mm256_and_si256(next, low_bits));
  }
  // A value passes when its state's low 31 bits are below (limit + 1) * 2^16.
  const __m256i bound = _mm256_set1_epi32(static_cast<int>((passing_limit << 16) | 0xFFFF));
  return _mm256_movemask_epi8(_mm256_cmpgt_epi32(smallest, bound)) != -1;
}

bool wide_batches_available() {
  // Set up before the feature test, which may run before other initialisers.
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx2") != 0;
}
#endif

void draw_card(deck& cards, std::int32_t index, std::uint32_t& dealt_count, card_writer writer) {
  writer.write(writer.context, card_text(cards, index));
  mark_dealt(cards, index);
  ++dealt_count;
}

// Whether the walk would end: some value passes, and enough cards are undealt.
bool set_can_end(const deck& cards, std::int32_t largest, std::int32_t cards_per_set,
                 std::uint32_t dealt_count) {
  return largest >= 0 &&
         std::int64_t{cards.size} - std::int64_t{dealt_count} >= std::int64_t{cards_per_set};
}

}  // namespace

std::int32_t largest_passing_value(double draw_probability) {
  if (std::isnan(draw_probability)) return 32767;
  // The product grows with r, so the passing values are 0 up to some r.
  std::int32_t low = -1;      // passes (or -1)
  std::int32_t high = 32768;  // fails (or past the end)
  while (high - low > 1) {
    const std::int32_t mid = low + (high - low) / 2;
    if (static_cast<double>(mid) * draw_scale <= draw_probability) {
      low = mid;
    } else {
      high = mid;
    }
  }
  return low;
}

std::int32_t recycle_limit(std::int32_t deck_size) {
  return static_cast<std::int32_t>(static_cast<double>(deck_size) * 0.75);
}

namespace {

// The batched walk, with the batch test it is given inlined.
template <bool (*passes)(std::uint32_t, std::uint32_t)>
std::int32_t batched_walk(deck& cards, std::uint32_t passing_limit, std::int32_t cards_per_set,
                          random_source& source, std::uint32_t& dealt_count, card_writer writer) {
  const auto deck_size = static_cast<std::uint32_t>(cards.size);
  if (deck_size == 0) return 0;  // callers ensure cards; kept so no path divides by zero
  std::int32_t drawn = 0;
  std::uint32_t cursor = 0;  // the card of the batch's first visit
  std::uint32_t state = source.state;
  for (;;) {
    if (passes(state, passing_limit)) {
      std::array<std::uint16_t, batch> values;
      batch_values(state, values);
      for (std::size_t j = 0; j < batch; ++j) {
        if (values[j] > passing_limit) continue;
        std::uint32_t card = cursor + static_cast<std::uint32_t>(j);
        if (card >= deck_size) card %= deck_size;
        const auto index = static_cast<std::int32_t>(card);
        if (is_dealt(cards, index)) continue;
        draw_card(cards, index, dealt_count, writer);
        if (++drawn == cards_per_set) {
          source.state = apply_jump(jumps[j + 1], state);
          return drawn;
        }
      }
    }
    state = apply_jump(jumps[batch], state);
    // No division on the common path: it would cost more than the batch.
    cursor += batch;
    if (cursor >= deck_size) cursor = deck_size >= batch ? cursor - deck_size : cursor % deck_size;
  }
}

}  // namespace

// Whether the walk takes the AVX2 batch test. Not in the header: only the
// tests that check both batch tests against the one-step walk turn it off.
#if defined(CARDSET_WIDE_BATCH)
bool deal_set_uses_wide_batches = wide_batches_available();
#else
bool deal_set_uses_wide_batches = false;
#endif

std::int32_t deal_set(deck& cards, double draw_probability, std::int32_t cards_per_set,
                      random_source& source, std::uint32_t& dealt_count, card_writer writer) {
  if (cards_per_set <= 0) return 0;
  const std::int32_t largest = largest_passing_value(draw_probability);
  if (!set_can_end(cards, largest, cards_per_set, dealt_count)) return 0;
  const auto passing_limit = static_cast<std::uint32_t>(largest);
#if defined(CARDSET_WIDE_BATCH)
  if (deal_set_uses_wide_batches) {
    return batched_walk<batch_passes_wide>(cards, passing_limit, cards_per_set, source, dealt_count,
                                           writer);
  }
#endif
  return batched_walk<batch_passes>(cards, passing_limit, cards_per_set, source, dealt_count,
                                    writer);
}

std::int32_t deal_set_one_step(deck& cards, double draw_probability, std::int32_t cards_per_set,
                               random_source& source, std::uint32_t& dealt_count,
                               card_writer writer) {
  if (cards_per_set <= 0) return 0;
  if (!set_can_end(cards, largest_passing_value(draw_probability), cards_per_set, dealt_count)) {
    return 0;
  }
  std::int32_t drawn = 0;
  std::int32_t cursor = 0;
  while (drawn < cards_per_set) {
    const std::uint32_t r = next_value(source);
    const bool passes = !(static_cast<double>(r) * draw_scale > draw_probability);
    if (passes && !is_dealt(cards, cursor)) {
      draw_card(cards, cursor, dealt_count, writer);
      ++drawn;
    }
    cursor = cursor + 1 == cards.size ? 0 : cursor + 1;
  }
  return drawn;
}

void apply_recycle_rule(deck& cards, std::uint32_t& dealt_count, std::int32_t deck_size) {
  if (dealt_count > static_cast<std::uint32_t>(recycle_limit(deck_size))) {
    clear_dealt(cards);
    dealt_count = 0;
  }
}

bool sets_can_complete(std::int32_t deck_size, double draw_probability, std::int32_t cards_per_set,
                       std::int32_t set_count) {
  if (cards_per_set <= 0 || set_count <= 0) return true;
  if (largest_passing_value(draw_probability) < 0) return false;
  const std::int64_t per_set = cards_per_set;
  const std::int64_t sets_before_recycle = recycle_limit(deck_size) / per_set;  // k
  if (set_count <= sets_before_recycle) return true;
  return (sets_before_recycle + 1) * per_set <= deck_size;
}

}  // namespace cardset
