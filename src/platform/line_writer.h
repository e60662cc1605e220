#pragma once

#include <string>
#include <string_view>

#include "platform/platform.h"

namespace cardset {

// Where a line_writer hands its lines: an open file, or standard output.
struct output_target {
  bool standard_output = false;
  file_handle file;
};

// Collects one line in text mode, the same on every platform: each LF goes
// out as CR LF, every other byte unchanged. hand_over gives the collected
// bytes to the operating system in one write call; only a short write makes
// it call again for the rest.
class line_writer {
 public:
  line_writer();
  void append(std::string_view bytes);
  void append_decimal(std::uint32_t value);
  // Writes everything collected and empties the line. False when the bytes
  // could not all be written; the line is emptied either way.
  [[nodiscard]] bool hand_over(platform& system, output_target target);

 private:
  std::string line_;
};

// Hands all of bytes to the target, calling write again after a short write.
[[nodiscard]] bool write_fully(platform& system, output_target target, std::string_view bytes);

}  // namespace cardset
