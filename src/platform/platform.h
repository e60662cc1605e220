#pragma once

// The only door to the operating system. Everything above this interface is
// portable code; the POSIX, Win32 and in-memory implementations sit below it.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace cardset {

// An open file. Its value means something only to the platform that made it.
struct file_handle {
  std::intptr_t value = -1;
  friend bool operator==(file_handle, file_handle) = default;
};

// Outcome of one read or write call.
struct io_result {
  bool ok = false;
  // Bytes moved. A read that is ok with a count of 0 has met the end of the file.
  std::size_t count = 0;
};

// Contract shared by every implementation:
// - No call throws, blocks for ever on an idle pipe, or takes a lock.
// - Opens never deny other processes read or write access to the file.
// - Names are bytes, passed to the file system unchanged and relative to the
//   working directory; a name holding a zero byte fails to open, since the
//   system would otherwise open a shorter name.
// - Files are binary here: text-mode translation is done above this layer, so
//   every platform sees and writes the same bytes.
class platform {
 public:
  platform() = default;
  platform(const platform&) = delete;
  platform& operator=(const platform&) = delete;
  virtual ~platform() = default;

  // Milliseconds since the system started, cut to the low 32 bits.
  [[nodiscard]] virtual std::uint32_t tick_count() = 0;

  // Opens an existing file for reading only. A directory fails.
  [[nodiscard]] virtual std::optional<file_handle> open_for_reading(std::string_view name) = 0;

  // Opens a file for writing only, creating it or truncating it to zero length.
  [[nodiscard]] virtual std::optional<file_handle> open_for_writing(std::string_view name) = 0;

  // Reads up to buffer.size() bytes, possibly fewer.
  [[nodiscard]] virtual io_result read(file_handle file, std::span<char> buffer) = 0;

  // Hands bytes to the operating system in one call; it may take fewer than
  // offered (a short write). Nothing is buffered below this call.
  [[nodiscard]] virtual io_result write(file_handle file, std::span<const char> bytes) = 0;

  // The same as write, for the process's standard output.
  [[nodiscard]] virtual io_result write_standard_output(std::span<const char> bytes) = 0;

  // Releases the file. The handle is invalid afterwards, whatever the outcome.
  [[nodiscard]] virtual bool close(file_handle file) = 0;
};

}  // namespace cardset
