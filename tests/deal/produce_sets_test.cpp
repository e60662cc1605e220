#include <gtest/gtest.h>

#include <string>

#include "deal/produce_sets.h"
#include "platform/memory_platform.h"
#include "platform/recording_platform.h"
#include "support/run_fixture.h"

namespace cardset {
namespace {

using testing::crlf_lines;
using testing::numbered_deck;
using testing::report_of;
using testing::run_on;
using testing::set_file_names;

void with_config(memory_platform& files, const std::string& config, const std::string& deck_bytes) {
  files.set_file("config.txt", config);
  files.set_file("deck.txt", deck_bytes);
}

TEST(set_file_name, numbers_without_padding) {
  EXPECT_EQ(set_file_name(1), "cardset_1.qzt");
  EXPECT_EQ(set_file_name(9), "cardset_9.qzt");
  EXPECT_EQ(set_file_name(10), "cardset_10.qzt");
  EXPECT_EQ(set_file_name(INT32_MAX), "cardset_2147483647.qzt");
}

TEST(write_set_report, prints_the_reference_bytes_one_line_per_call) {
  memory_platform files;
  recording_platform recorded(files);
  report_output out;
  write_set_report(recorded, out, 3, 2);
  EXPECT_EQ(files.standard_output(), "\r\nSet: 3\r\nCards out: 2\r\n\r\n");
  EXPECT_EQ(files.standard_output().size(), 26u);
  EXPECT_EQ(recorded.calls().size(), 4u);
}

TEST(write_set_report, writes_nothing_more_after_a_failure) {
  memory_platform files;
  recording_platform recorded(files);
  recorded.fail_call(1);
  report_output out;
  write_set_report(recorded, out, 1, 5);
  write_set_report(recorded, out, 2, 5);
  EXPECT_EQ(files.standard_output(), "\r\n");
  EXPECT_EQ(recorded.calls().size(), 2u);
}

TEST(produce_sets, writes_cards_and_reports_with_one_write_per_line) {
  memory_platform files(1);
  with_config(files, "deck.txt 1 2 2", "apple\npear\nplum\nfig\n");
  const auto run = run_on(files);
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(files.file("cardset_1.qzt"), "apple\r\npear\r\n");
  EXPECT_EQ(files.file("cardset_2.qzt"), "plum\r\nfig\r\n");
  EXPECT_EQ(files.standard_output(), report_of(1, 2) + report_of(2, 2));
  int writes = 0;
  for (const auto& call : run.calls) writes += call.kind == call_kind::write ? 1 : 0;
  EXPECT_EQ(writes, 4);
}

TEST(produce_sets, passes_bytes_through_unchanged) {
  const std::string cards = "\x83\x4A\x81\x5B\x83\x68\na\rb\n\t x \n";
  memory_platform files(1);
  with_config(files, "deck.txt 1 3 1", cards);
  EXPECT_EQ(run_on(files).status, 0);
  EXPECT_EQ(files.file("cardset_1.qzt"), "\x83\x4A\x81\x5B\x83\x68\r\na\rb\r\n\t x \r\n");
}

TEST(produce_sets, truncates_old_set_files_and_leaves_higher_numbers_alone) {
  memory_platform files(1);
  with_config(files, "deck.txt 1 1 1", "a\nb\n");
  files.set_file("cardset_1.qzt", "old content that is longer\r\n");
  files.set_file("cardset_2.qzt", "untouched");
  EXPECT_EQ(run_on(files).status, 0);
  EXPECT_EQ(files.file("cardset_1.qzt"), "a\r\n");
  EXPECT_EQ(files.file("cardset_2.qzt"), "untouched");
}

TEST(produce_sets, makes_empty_sets_when_cards_per_set_is_not_positive) {
  for (const char* config : {"deck.txt 1 0 2", "deck.txt 1 -4 2"}) {
    memory_platform files(1);
    with_config(files, config, "");
    EXPECT_EQ(run_on(files).status, 0);
    EXPECT_EQ(set_file_names(files), (std::vector<std::string>{"cardset_1.qzt", "cardset_2.qzt"}));
    EXPECT_EQ(files.file("cardset_1.qzt"), "");
    EXPECT_EQ(files.standard_output(), report_of(1, 0) + report_of(2, 0));
  }
}

TEST(produce_sets, makes_nothing_when_set_count_is_not_positive) {
  for (const char* config : {"deck.txt 1 1 0", "deck.txt 1 1 -2147483648"}) {
    memory_platform files(1);
    with_config(files, config, "a\n");
    EXPECT_EQ(run_on(files).status, 0);
    EXPECT_TRUE(set_file_names(files).empty());
    EXPECT_EQ(files.standard_output(), "");
  }
}

TEST(produce_sets, stops_at_a_set_file_that_cannot_be_opened) {
  memory_platform files(1);
  with_config(files, "deck.txt 1 1 3", "a\nb\nc\nd\n");
  files.make_directory("cardset_2.qzt");
  EXPECT_EQ(run_on(files).status, 1);
  EXPECT_EQ(files.file("cardset_1.qzt"), "a\r\n");
  EXPECT_FALSE(files.exists("cardset_3.qzt"));
  EXPECT_EQ(files.standard_output(), report_of(1, 1));
  EXPECT_EQ(files.open_file_count(), 0u);
}

// Finds the index of the n-th call (from 1) of a kind.
std::size_t nth_call(const std::vector<call_record>& calls, call_kind kind, int n) {
  for (std::size_t i = 0; i < calls.size(); ++i) {
    if (calls[i].kind == kind && --n == 0) return i;
  }
  return calls.size();
}

struct set_fault_case {
  const char* what;
  call_kind kind;
  int occurrence;  // which call of that kind fails
  int status;
  std::vector<std::string> reports_of;                     // sets whose report is printed
  std::vector<std::pair<std::string, std::string>> files;  // set file name, content
  bool set3_exists;
};

// Three sets of two cards from six cards, at probability 1; the set files'
// closes are the 2nd to 4th closes (the deck file's is the 1st).
TEST(produce_sets, follows_the_failed_condition_through_later_sets) {
  const set_fault_case cases[] = {
      {"write in set 1",
       call_kind::write,
       1,
       1,
       {"1"},
       {{"cardset_1.qzt", ""}, {"cardset_2.qzt", ""}},
       false},
      {"second write in set 1",
       call_kind::write,
       2,
       1,
       {"1"},
       {{"cardset_1.qzt", "1\r\n"}, {"cardset_2.qzt", ""}},
       false},
      {"write in set 2",
       call_kind::write,
       3,
       1,
       {"1", "2"},
       {{"cardset_1.qzt", "1\r\n2\r\n"}, {"cardset_2.qzt", ""}, {"cardset_3.qzt", ""}},
       true},
      {"write in the last set",
       call_kind::write,
       6,
       1,
       {"1", "2", "3"},
       {{"cardset_1.qzt", "1\r\n2\r\n"}, {"cardset_3.qzt", "5\r\n"}},
       true},
      {"close of set 1", call_kind::close, 2, 1, {"1"}, {{"cardset_1.qzt", "1\r\n2\r\n"}}, false},
      {"close of set 2",
       call_kind::close,
       3,
       1,
       {"1", "2"},
       {{"cardset_2.qzt", "3\r\n4\r\n"}},
       false},
      {"close of the last set",
       call_kind::close,
       4,
       1,
       {"1", "2", "3"},
       {{"cardset_3.qzt", "5\r\n6\r\n"}},
       true},
      {"open of set 2",
       call_kind::open_for_writing,
       2,
       1,
       {"1"},
       {{"cardset_1.qzt", "1\r\n2\r\n"}},
       false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    memory_platform clean(1);
    with_config(clean, "deck.txt 1 2 3", numbered_deck(6));
    const auto clean_run = run_on(clean);
    ASSERT_EQ(clean_run.status, 0);

    memory_platform files(1);
    with_config(files, "deck.txt 1 2 3", numbered_deck(6));
    recording_platform recorded(files);
    recorded.fail_call(nth_call(clean_run.calls, c.kind, c.occurrence));
    EXPECT_EQ(run_cardset(recorded), c.status);
    std::string reports;
    for (const auto& n : c.reports_of) reports += report_of(std::stoi(n), 2);
    EXPECT_EQ(files.standard_output(), reports);
    for (const auto& [name, content] : c.files) EXPECT_EQ(files.file(name), content) << name;
    EXPECT_EQ(files.exists("cardset_3.qzt"), c.set3_exists);
    EXPECT_EQ(files.open_file_count(), 0u);
    EXPECT_EQ(recorded.calls().back().kind, call_kind::close);
    EXPECT_EQ(recorded.calls().back().file, clean_run.calls[1].file);  // config.txt, last
  }
}

TEST(produce_sets, ignores_a_failed_report) {
  memory_platform files(1);
  with_config(files, "deck.txt 1 1 2", "a\nb\n");
  recording_platform recorded(files);
  memory_platform clean(1);
  with_config(clean, "deck.txt 1 1 2", "a\nb\n");
  const auto clean_run = run_on(clean);
  recorded.fail_call(nth_call(clean_run.calls, call_kind::write_standard_output, 1));
  EXPECT_EQ(run_cardset(recorded), 0);
  EXPECT_EQ(files.file("cardset_2.qzt"), "b\r\n");
  EXPECT_EQ(files.standard_output(), "");
}

}  // namespace
}  // namespace cardset
