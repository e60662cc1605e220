#pragma once

#include <string>
#include <vector>

#include "platform/platform.h"

namespace cardset {

enum class call_kind {
  tick_count,
  open_for_reading,
  open_for_writing,
  read,
  write,
  write_standard_output,
  close,
};

// One call that passed through a recording_platform.
struct call_record {
  call_kind kind{};
  std::string name;       // the name given to an open
  file_handle file;       // the handle used, or returned by a successful open
  std::size_t size = 0;   // bytes offered to a write or asked of a read
  bool ok = false;        // what the call reported
  bool injected = false;  // whether the failure was injected here
};

// How an injected failure looks to the caller.
enum class fault_kind {
  error,        // the call reports failure
  short_write,  // a write takes half of the bytes offered (at least none) and reports success
};

// Wraps another platform, records every call in order, and can make any
// single call fail: the one whose index (from 0) is fail_at.
class recording_platform final : public platform {
 public:
  explicit recording_platform(platform& inner) : inner_(inner) {}

  void fail_call(std::size_t index, fault_kind kind = fault_kind::error) {
    fail_at_ = index;
    fault_ = kind;
  }
  const std::vector<call_record>& calls() const { return calls_; }

  std::uint32_t tick_count() override;
  std::optional<file_handle> open_for_reading(std::string_view name) override;
  std::optional<file_handle> open_for_writing(std::string_view name) override;
  io_result read(file_handle file, std::span<char> buffer) override;
  io_result write(file_handle file, std::span<const char> bytes) override;
  io_result write_standard_output(std::span<const char> bytes) override;
  bool close(file_handle file) override;

 private:
  // Whether the call about to be recorded is the one to fail.
  bool failing_now() const { return calls_.size() == fail_at_; }
  std::optional<file_handle> record_open(call_kind kind, std::string_view name);
  io_result write_through(call_kind kind, file_handle file, std::span<const char> bytes);

  platform& inner_;
  std::vector<call_record> calls_;
  std::size_t fail_at_ = static_cast<std::size_t>(-1);
  fault_kind fault_ = fault_kind::error;
};

}  // namespace cardset
