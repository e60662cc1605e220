#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/memory_platform.h"
#include "support/run_fixture.h"

namespace cardset {
namespace {

using testing::numbered_deck;
using testing::run_on;
using testing::set_file_names;

TEST(run_cardset, reads_the_clock_first_and_closes_config_last) {
  memory_platform files(1);
  files.set_file("config.txt", "deck.txt 1 1 2");
  files.set_file("deck.txt", "a\nb\n");
  const auto run = run_on(files);
  ASSERT_EQ(run.status, 0);
  std::vector<std::string> order;
  for (const auto& call : run.calls) {
    if (call.kind == call_kind::tick_count) order.push_back("tick");
    if (call.kind == call_kind::open_for_reading || call.kind == call_kind::open_for_writing) {
      order.push_back("open " + call.name);
    }
    if (call.kind == call_kind::close) order.push_back("close");
  }
  EXPECT_EQ(order, (std::vector<std::string>{"tick", "open config.txt", "open deck.txt", "close",
                                             "open cardset_1.qzt", "close", "open cardset_2.qzt",
                                             "close", "close"}));
  EXPECT_EQ(run.calls.back().file, run.calls[1].file);
  EXPECT_EQ(files.open_file_count(), 0u);
}

struct exit_case {
  const char* what;
  std::string config;  // empty: no config.txt
  std::string deck;
  int status;
};

TEST(run_cardset, ends_every_failure_with_status_1_and_no_output) {
  const std::string deck4 = numbered_deck(4);
  const exit_case cases[] = {
      {"no config.txt", "", deck4, 1},
      {"empty config.txt", " ", deck4, 1},
      {"missing deck", "none.txt 1 1 1", deck4, 1},
      {"unset draw probability", "deck.txt", deck4, 1},
      {"malformed draw probability", "deck.txt 1e 1 1", deck4, 1},
      {"out-of-range count", "deck.txt 1 2147483648 1", deck4, 1},
      {"unset set count", "deck.txt 1 1", deck4, 1},
      {"deck name of 256 bytes", std::string(256, 'd') + " 1 1 1", deck4, 1},
      {"deck too small", "deck.txt 1 5 1", deck4, 1},
      {"deck line too long", "deck.txt 1 1 1", std::string(2048, 'x') + "\n", 1},
      {"negative probability", "deck.txt -0.5 1 1", deck4, 1},
      {"second set cannot complete", "deck.txt 1 3 2", deck4, 1},
      {"deck exactly cards_per_set", "deck.txt 1 4 3", deck4, 0},
      {"empty deck, no cards per set", "deck.txt 1 0 2", "", 0},
      {"no sets", "deck.txt 1 9 0", deck4, 1},  // the size check comes first
      {"no sets from a big enough deck", "deck.txt -1 2 -3", deck4, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    memory_platform files(7);
    if (!c.config.empty()) files.set_file("config.txt", c.config);
    files.set_file("deck.txt", c.deck);
    const auto run = run_on(files);
    EXPECT_EQ(run.status, c.status);
    EXPECT_EQ(files.open_file_count(), 0u);
    if (c.status == 1) {
      EXPECT_EQ(files.standard_output(), "");
      EXPECT_TRUE(set_file_names(files).empty());
    }
    if (!c.config.empty()) {
      EXPECT_EQ(run.calls.back().kind, call_kind::close);
      EXPECT_EQ(run.calls.back().file, run.calls[1].file);
    }
  }
}

TEST(run_cardset, refuses_unset_fields_before_opening_the_deck) {
  memory_platform files;
  files.set_file("config.txt", "deck.txt 0.5 3");
  files.set_file("deck.txt", numbered_deck(5));
  const auto run = run_on(files);
  EXPECT_EQ(run.status, 1);
  for (const auto& call : run.calls) EXPECT_NE(call.name, "deck.txt");
}

TEST(run_cardset, never_opens_a_shorter_name_than_the_one_given) {
  // A zero byte is not white space, so it belongs to the name; the name as
  // given does not exist, although its part before the zero byte does.
  memory_platform files;
  files.set_file("config.txt", std::string("deck.txt\0.old 1 1 1", 19));
  files.set_file("deck.txt", "a\n");
  EXPECT_EQ(run_on(files).status, 1);
  EXPECT_TRUE(set_file_names(files).empty());
}

TEST(run_cardset, repeats_itself_for_the_same_tick_count) {
  auto run_with_ticks = [](std::uint32_t ticks) {
    memory_platform files(ticks);
    files.set_file("config.txt", "deck.txt 0.3 4 6");
    files.set_file("deck.txt", numbered_deck(20));
    EXPECT_EQ(run_on(files).status, 0);
    return files.files();
  };
  for (std::uint32_t ticks : {0u, 123456u, 0x80000000u, 0xFFFFFFFFu}) {
    const auto first = run_with_ticks(ticks);
    const auto second = run_with_ticks(ticks);
    ASSERT_EQ(first.size(), second.size());
    for (const auto& [name, entry] : first) EXPECT_EQ(entry.bytes, second.at(name).bytes) << name;
  }
  EXPECT_NE(run_with_ticks(1).at("cardset_1.qzt").bytes,
            run_with_ticks(2).at("cardset_1.qzt").bytes);
}

TEST(run_cardset, loads_a_deck_that_is_also_set_file_one) {
  memory_platform files(5);
  files.set_file("config.txt", "cardset_1.qzt 1 2 2");
  files.set_file("cardset_1.qzt", "w\r\nx\r\ny\r\nz\r\n");
  EXPECT_EQ(run_on(files).status, 0);
  EXPECT_EQ(files.file("cardset_1.qzt"), "w\r\nx\r\n");
  EXPECT_EQ(files.file("cardset_2.qzt"), "y\r\nz\r\n");
}

}  // namespace
}  // namespace cardset
