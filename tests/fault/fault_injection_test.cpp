// Exhaustive fault injection, in the manner of SQLite's I/O-error and
// out-of-memory loops: a clean run is recorded, then repeated once for every
// platform call (and every deck allocation), making just that one fail. Each
// run must end, give the exit status that the failing call calls for, keep the
// files of the sets finished before it byte for byte, print nothing beyond the
// reports of those sets, close config.txt last and leave no file open.

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "deck/growable_array.h"
#include "platform/memory_platform.h"
#include "platform/recording_platform.h"
#include "run/run_cardset.h"
#include "support/run_fixture.h"

namespace cardset {
namespace {

using testing::numbered_deck;
using testing::report_of;

constexpr std::uint32_t fixed_tick = 0x9E3779B9u;
const std::string stale_content = "stale set\r\n";

struct scenario {
  const char* name;
  std::string config;
  std::string deck;             // the content of deck.txt
  std::int32_t sets = 0;        // set_count of the config
  std::int32_t drawn = 0;       // drawn_in_set of every set
  std::int32_t stale_sets = 0;  // cardset_1 .. cardset_<n> exist before the run
  std::size_t read_limit = 0;   // bytes per read; 0 for no limit
};

// A deck whose text-mode reading crosses several 256 KiB blocks, with a CR LF
// pair split by the first block boundary.
std::string deck_over_blocks() {
  std::string deck;
  const std::size_t boundary = 256 * 1024;
  int number = 0;
  auto add_line = [&](std::size_t length) {
    std::string line = std::to_string(++number) + ":";
    line.resize(length, static_cast<char>('a' + number % 26));
    deck += line + "\r\n";
  };
  while (boundary - 1 - deck.size() > 2047) add_line(1000);
  add_line(boundary - 1 - deck.size());  // its CR is the block's last byte
  while (deck.size() < 2 * boundary + 5000) add_line(1500);
  return deck;
}

std::vector<scenario> scenarios() {
  return {
      {"three sets", "deck.txt 0.5 3 3\r\n", "a\r\nb\r\n\r\nc\nd\ne\nf\ng\nh\ni\nj\n", 3, 3, 4},
      {"recycling run", "deck.txt 0.75 2 5", numbered_deck(4), 5, 2, 0},
      {"no cards per set", "deck.txt 0.5 0 2\n", numbered_deck(10), 2, 0, 1},
      {"empty deck", "deck.txt 1 0 2", "", 2, 0, 0},
      {"small reads", "\r\n deck.txt\r\n0.5\r\n2\r\n3\r\n",
       "first one\r\n\x81\x40\r\n\x83J\x81[\x83h\r\n  \ttwo\r\nthree\rx\nfour\r\nfive\n\x1A"
       "six\n",
       3, 2, 0, 5},
      {"deck over several blocks", "deck.txt 1 4 2", deck_over_blocks(), 2, 4, 0},
  };
}

// Fails every call past a budget, and says so: a run that keeps calling the
// platform would otherwise never end.
class call_budget final : public platform {
 public:
  call_budget(platform& inner, std::size_t budget) : inner_(inner), left_(budget) {}
  bool exceeded() const { return exceeded_; }

  std::uint32_t tick_count() override { return inner_.tick_count(); }
  std::optional<file_handle> open_for_reading(std::string_view name) override {
    if (!spend()) return std::nullopt;
    return inner_.open_for_reading(name);
  }
  std::optional<file_handle> open_for_writing(std::string_view name) override {
    if (!spend()) return std::nullopt;
    return inner_.open_for_writing(name);
  }
  io_result read(file_handle file, std::span<char> buffer) override {
    if (!spend()) return {false, 0};
    return inner_.read(file, buffer);
  }
  io_result write(file_handle file, std::span<const char> bytes) override {
    if (!spend()) return {false, 0};
    return inner_.write(file, bytes);
  }
  io_result write_standard_output(std::span<const char> bytes) override {
    if (!spend()) return {false, 0};
    return inner_.write_standard_output(bytes);
  }
  bool close(file_handle file) override { return inner_.close(file); }

 private:
  bool spend() {
    if (left_ == 0) {
      exceeded_ = true;
      return false;
    }
    --left_;
    return true;
  }
  platform& inner_;
  std::size_t left_;
  bool exceeded_ = false;
};

// The set files as a run leaves them: name to content.
using set_files = std::map<std::string, std::string>;

std::string set_name(std::int32_t n) { return "cardset_" + std::to_string(n) + ".qzt"; }

void prepare(memory_platform& files, const scenario& s) {
  files.set_file("config.txt", s.config);
  files.set_file("deck.txt", s.deck);
  for (std::int32_t n = 1; n <= s.stale_sets; ++n) files.set_file(set_name(n), stale_content);
  files.set_read_limit(s.read_limit);
}

set_files set_files_of(const memory_platform& files) {
  set_files out;
  for (const auto& [name, entry] : files.files()) {
    if (name.rfind("cardset_", 0) == 0) out[name] = entry.bytes;
  }
  return out;
}

struct run_result {
  int status = -1;
  std::vector<call_record> calls;
  set_files sets;
  std::string standard_output;
  std::size_t open_files = 0;
  bool over_budget = false;
};

run_result run_scenario(const scenario& s, std::optional<std::size_t> fail_at, fault_kind kind,
                        std::size_t budget) {
  memory_platform files(fixed_tick);
  prepare(files, s);
  call_budget bounded(files, budget);
  recording_platform recorded(bounded);
  if (fail_at) recorded.fail_call(*fail_at, kind);
  run_result result;
  result.status = run_cardset(recorded);
  result.calls = recorded.calls();
  result.sets = set_files_of(files);
  result.standard_output = files.standard_output();
  result.open_files = files.open_file_count();
  result.over_budget = bounded.exceeded();
  return result;
}

// What a call of the clean run was for.
struct call_role {
  enum kind_of_file { none, config, deck, set } file = none;
  std::int32_t set_number = 0;     // for set files
  std::size_t written_before = 0;  // bytes written to this file, or to standard output, before it
};

std::vector<call_role> roles_of(const std::vector<call_record>& calls) {
  std::map<std::intptr_t, call_role> by_handle;
  std::map<std::intptr_t, std::size_t> written;
  std::size_t standard_output_written = 0;
  std::vector<call_role> roles;
  for (const auto& call : calls) {
    call_role role;
    switch (call.kind) {
      case call_kind::open_for_reading:
      case call_kind::open_for_writing:
        if (call.name == "config.txt") {
          role.file = call_role::config;
        } else if (call.name == "deck.txt") {
          role.file = call_role::deck;
        } else {
          role.file = call_role::set;
          role.set_number = std::stoi(call.name.substr(8));
        }
        if (call.ok) by_handle[call.file.value] = role;
        break;
      case call_kind::read:
      case call_kind::close:
        role = by_handle.at(call.file.value);
        break;
      case call_kind::write:
        role = by_handle.at(call.file.value);
        role.written_before = written[call.file.value];
        written[call.file.value] += call.size;
        break;
      case call_kind::write_standard_output:
        role.written_before = standard_output_written;
        standard_output_written += call.size;
        break;
      case call_kind::tick_count:
        break;
    }
    roles.push_back(role);
  }
  return roles;
}

struct expectation {
  int status = 0;
  set_files sets;
  std::string standard_output;
};

// The reports of sets 1 to last.
std::string reports_through(const scenario& s, std::int32_t last) {
  std::string out;
  for (std::int32_t n = 1; n <= last; ++n) out += report_of(n, s.drawn);
  return out;
}

// The set files when sets 1 to done are as in the clean run and the rest as
// before the run.
set_files sets_through(const scenario& s, const set_files& clean, std::int32_t done) {
  set_files out;
  for (std::int32_t n = 1; n <= s.stale_sets; ++n) out[set_name(n)] = stale_content;
  for (std::int32_t n = 1; n <= done; ++n) out[set_name(n)] = clean.at(set_name(n));
  return out;
}

// The outcome that the failure of clean call k calls for.
expectation expected_outcome(const scenario& s, const run_result& clean, const call_record& call,
                             const call_role& role, fault_kind kind) {
  const expectation unchanged{clean.status, clean.sets, clean.standard_output};
  // Reading the clock cannot fail; short writes are completed by retrying;
  // the closes of files only read from are not looked at.
  if (call.kind == call_kind::tick_count) return unchanged;
  if (kind == fault_kind::short_write) return unchanged;
  if (call.kind == call_kind::close && role.file != call_role::set) return unchanged;

  const expectation nothing_done{1, sets_through(s, clean.sets, 0), ""};
  if (role.file == call_role::config || role.file == call_role::deck) return nothing_done;

  if (call.kind == call_kind::write_standard_output) {
    // The report stops where it failed; nothing else changes.
    return {clean.status, clean.sets, clean.standard_output.substr(0, role.written_before)};
  }
  const std::int32_t n = role.set_number;
  if (call.kind == call_kind::open_for_writing) {
    return {1, sets_through(s, clean.sets, n - 1), reports_through(s, n - 1)};
  }
  if (call.kind == call_kind::close) {
    // The next open is refused without reaching the platform.
    return {1, sets_through(s, clean.sets, n), reports_through(s, n)};
  }
  // A failed card line: the lines before it stay, the set runs to its end and
  // is reported, and the next set's file is opened and found failed, empty.
  expectation out{1, sets_through(s, clean.sets, n), reports_through(s, n)};
  out.sets[set_name(n)] = clean.sets.at(set_name(n)).substr(0, role.written_before);
  if (n < s.sets) out.sets[set_name(n + 1)] = "";
  return out;
}

// Order and closing: config.txt opened first and closed last, every opened
// file closed exactly once (a file whose close failed is not closed again),
// the deck and set files never open at the same time as one another.
void check_file_discipline(const run_result& run) {
  std::set<std::intptr_t> open;
  std::optional<std::intptr_t> config;
  for (std::size_t i = 0; i < run.calls.size(); ++i) {
    const call_record& call = run.calls[i];
    if ((call.kind == call_kind::open_for_reading || call.kind == call_kind::open_for_writing) &&
        call.ok) {
      if (call.name == "config.txt") {
        config = call.file.value;
      } else {
        EXPECT_EQ(open.size(), config ? 1u : 0u) << "call " << i << ": a second file opened";
      }
      EXPECT_TRUE(open.insert(call.file.value).second) << "call " << i;
    }
    if (call.kind == call_kind::close) {
      EXPECT_EQ(open.erase(call.file.value), 1u) << "call " << i << ": closes a file not open";
      if (config && call.file.value == *config) {
        EXPECT_EQ(i + 1, run.calls.size()) << "config.txt is not the last file closed";
      }
    }
  }
  EXPECT_TRUE(open.empty()) << open.size() << " file(s) never closed";
  EXPECT_EQ(run.open_files, 0u);
}

const char* kind_name(call_kind kind) {
  switch (kind) {
    case call_kind::tick_count:
      return "tick_count";
    case call_kind::open_for_reading:
      return "open_for_reading";
    case call_kind::open_for_writing:
      return "open_for_writing";
    case call_kind::read:
      return "read";
    case call_kind::write:
      return "write";
    case call_kind::write_standard_output:
      return "write_standard_output";
    case call_kind::close:
      return "close";
  }
  return "?";
}

TEST(fault_injection, every_failing_platform_call_gives_its_outcome) {
  for (const scenario& s : scenarios()) {
    SCOPED_TRACE(s.name);
    const run_result clean = run_scenario(s, std::nullopt, fault_kind::error, 1000000);
    ASSERT_EQ(clean.status, 0);
    ASSERT_EQ(clean.standard_output, reports_through(s, s.sets));
    ASSERT_EQ(clean.sets.size(), static_cast<std::size_t>(std::max(s.sets, s.stale_sets)));
    check_file_discipline(clean);
    const std::vector<call_role> roles = roles_of(clean.calls);
    const std::size_t budget = 2 * clean.calls.size() + 16;

    std::size_t faults_run = 0;
    for (std::size_t k = 0; k < clean.calls.size(); ++k) {
      const call_record& call = clean.calls[k];
      std::vector<fault_kind> kinds{fault_kind::error};
      if (call.kind == call_kind::write || call.kind == call_kind::write_standard_output) {
        kinds.push_back(fault_kind::short_write);
      }
      for (const fault_kind kind : kinds) {
        SCOPED_TRACE(::testing::Message()
                     << "call " << k << " (" << kind_name(call.kind) << " " << call.name << ", set "
                     << roles[k].set_number << ") fails as "
                     << (kind == fault_kind::error ? "an error" : "a short write"));
        const run_result run = run_scenario(s, k, kind, budget);
        ++faults_run;
        ASSERT_FALSE(run.over_budget) << "the run kept calling the platform";
        // Everything before the failure is the clean run's, so call k is the same call.
        ASSERT_GT(run.calls.size(), k);
        ASSERT_EQ(run.calls[k].kind, call.kind);
        ASSERT_TRUE(run.calls[k].injected || call.kind == call_kind::tick_count);

        const expectation expected = expected_outcome(s, clean, call, roles[k], kind);
        EXPECT_EQ(run.status, expected.status);
        EXPECT_EQ(run.sets, expected.sets);
        EXPECT_EQ(run.standard_output, expected.standard_output);
        check_file_discipline(run);
        if (call.kind == call_kind::write_standard_output && kind == fault_kind::error) {
          for (std::size_t i = k + 1; i < run.calls.size(); ++i) {
            EXPECT_NE(run.calls[i].kind, call_kind::write_standard_output)
                << "report text written after a failed report write, at call " << i;
          }
        }
      }
    }
    EXPECT_GT(faults_run, clean.calls.size() - 1);
  }
}

// Counts deck growths and fails the one whose index (from 0) is fail_at.
struct allocation_fault {
  static inline std::size_t count = 0;
  static inline std::size_t fail_at = static_cast<std::size_t>(-1);
  static void* reallocate(void* block, std::size_t bytes) {
    if (count++ == fail_at) return nullptr;
    return std::realloc(block, bytes);
  }
};

// Puts the deck's allocator hook back however the test ends.
class allocation_hook {
 public:
  explicit allocation_hook(std::size_t fail_at) : saved_(growable_reallocate) {
    allocation_fault::count = 0;
    allocation_fault::fail_at = fail_at;
    growable_reallocate = allocation_fault::reallocate;
  }
  ~allocation_hook() { growable_reallocate = saved_; }
  allocation_hook(const allocation_hook&) = delete;
  allocation_hook& operator=(const allocation_hook&) = delete;

 private:
  void* (*saved_)(void*, std::size_t);
};

TEST(fault_injection, every_failing_deck_allocation_ends_the_run_with_status_1) {
  std::size_t loops = 0;
  for (const scenario& s : scenarios()) {
    SCOPED_TRACE(s.name);
    std::size_t allocations = 0;
    {
      allocation_hook counting(static_cast<std::size_t>(-1));
      ASSERT_EQ(run_scenario(s, std::nullopt, fault_kind::error, 1000000).status, 0);
      allocations = allocation_fault::count;
    }
    const set_files before = sets_through(s, {}, 0);
    for (std::size_t k = 0; k < allocations; ++k) {
      SCOPED_TRACE(::testing::Message() << "allocation " << k << " of " << allocations);
      allocation_hook failing(k);
      const run_result run = run_scenario(s, std::nullopt, fault_kind::error, 1000000);
      EXPECT_EQ(run.status, 1);
      EXPECT_EQ(run.sets, before);
      EXPECT_EQ(run.standard_output, "");
      for (const auto& call : run.calls) EXPECT_NE(call.kind, call_kind::open_for_writing);
      check_file_discipline(run);
      ++loops;
    }
  }
  // The loop must have had something to fail.
  EXPECT_GT(loops, 10u);
}

}  // namespace
}  // namespace cardset
