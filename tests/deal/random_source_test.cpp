#include <gtest/gtest.h>

#include <vector>

#include "deal/random_source.h"

namespace cardset {
namespace {

std::vector<std::uint32_t> first_values(std::uint32_t seed_value, int count) {
  random_source source;
  seed(source, seed_value);
  std::vector<std::uint32_t> values;
  for (int i = 0; i < count; ++i) values.push_back(next_value(source));
  return values;
}

TEST(random_source, gives_the_reference_sequences) {
  EXPECT_EQ(first_values(1, 5), (std::vector<std::uint32_t>{41, 18467, 6334, 26500, 19169}));
  EXPECT_EQ(first_values(0, 5), (std::vector<std::uint32_t>{38, 7719, 21238, 2437, 8855}));
  EXPECT_EQ(first_values(0xFFFFFFFF, 3), (std::vector<std::uint32_t>{35, 29739, 3374}));
  EXPECT_EQ(random_source{}.state, 1u);
}

TEST(random_source, takes_all_32_bits_of_the_seed) {
  // Seeds that differ only in bit 31 give the same values (bit 31 never
  // reaches them) but different states.
  random_source low;
  random_source high;
  seed(low, 0x00001234);
  seed(high, 0x80001234);
  EXPECT_EQ(next_value(low), next_value(high));
  EXPECT_NE(low.state, high.state);
}

TEST(random_source, jumps_match_single_steps) {
  for (std::uint32_t start : {0u, 1u, 0xDEADBEEFu, 0xFFFFFFFFu}) {
    random_source stepped;
    seed(stepped, start);
    for (std::uint64_t k = 0; k <= 300; ++k) {
      ASSERT_EQ(apply_jump(jump_of(k), start), stepped.state) << k;
      (void)next_value(stepped);
    }
  }
  // The full period comes back to the start.
  EXPECT_EQ(apply_jump(jump_of(std::uint64_t{1} << 32), 12345u), 12345u);
}

}  // namespace
}  // namespace cardset
