#pragma once

#include "platform/platform.h"

namespace cardset {

// The platform on POSIX systems. Making one ignores SIGPIPE, so that a report
// written to a pipe whose reader has gone fails as a write instead of ending
// the process, and takes the place of a closed standard input, output or
// error descriptor, so that no file of the run can be opened under one of
// those numbers and receive report text.
class posix_platform final : public platform {
 public:
  posix_platform();
  std::uint32_t tick_count() override;
  std::optional<file_handle> open_for_reading(std::string_view name) override;
  std::optional<file_handle> open_for_writing(std::string_view name) override;
  io_result read(file_handle file, std::span<char> buffer) override;
  io_result write(file_handle file, std::span<const char> bytes) override;
  io_result write_standard_output(std::span<const char> bytes) override;
  bool close(file_handle file) override;

 private:
  bool standard_output_usable_ = true;
};

}  // namespace cardset
