#pragma once

// Whole runs on the in-memory platform, with every call recorded.

#include <string>
#include <vector>

#include "platform/memory_platform.h"
#include "platform/recording_platform.h"
#include "run/run_cardset.h"

namespace cardset::testing {

struct run_outcome {
  int status = -1;
  std::vector<call_record> calls;
};

inline run_outcome run_on(memory_platform& files) {
  recording_platform recorded(files);
  run_outcome outcome;
  outcome.status = run_cardset(recorded);
  outcome.calls = recorded.calls();
  return outcome;
}

// The names of the set files that exist, in name order.
inline std::vector<std::string> set_file_names(const memory_platform& files) {
  std::vector<std::string> names;
  for (const auto& [name, entry] : files.files()) {
    if (name.rfind("cardset_", 0) == 0) names.push_back(name);
  }
  return names;
}

// Lines joined with CR LF, each line ended, as set files hold them.
inline std::string crlf_lines(const std::vector<std::string>& lines) {
  std::string out;
  for (const auto& line : lines) out += line + "\r\n";
  return out;
}

// A deck text of cards "1" to "count", one per LF-ended line.
inline std::string numbered_deck(int count) {
  std::string out;
  for (int i = 1; i <= count; ++i) out += std::to_string(i) + "\n";
  return out;
}

// The report of one set, as written to standard output.
inline std::string report_of(int set_number, int drawn) {
  return "\r\nSet: " + std::to_string(set_number) + "\r\nCards out: " + std::to_string(drawn) +
         "\r\n\r\n";
}

}  // namespace cardset::testing
