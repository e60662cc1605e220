#pragma once

#include "platform/platform.h"

namespace cardset {

// The platform on Windows, through the Win32 API itself rather than the C
// runtime, so that no layer below this one translates line ends or buffers.
// Names go to the ANSI entry points, so their bytes reach the file system as
// the system's own code page reads them (Shift_JIS on a Japanese system).
// Making one turns off the system's critical-error boxes, so that a drive
// without a medium fails an open instead of waiting for someone to answer,
// and takes the standard output handle once, before any file of the run is
// opened, so that a file can never be mistaken for it.
class win32_platform final : public platform {
 public:
  win32_platform();
  std::uint32_t tick_count() override;
  std::optional<file_handle> open_for_reading(std::string_view name) override;
  std::optional<file_handle> open_for_writing(std::string_view name) override;
  io_result read(file_handle file, std::span<char> buffer) override;
  io_result write(file_handle file, std::span<const char> bytes) override;
  io_result write_standard_output(std::span<const char> bytes) override;
  bool close(file_handle file) override;

 private:
  // The standard output handle, or no value when the process has none.
  std::optional<file_handle> standard_output_;
};

}  // namespace cardset
