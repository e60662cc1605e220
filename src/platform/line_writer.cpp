#include "platform/line_writer.h"

#include <charconv>
#include <cstring>

namespace cardset {

line_writer::line_writer() {
  // Room for the longest card line (2047 bytes and CR LF), so no card needs
  // to allocate.
  line_.reserve(4096);
}

void line_writer::append(std::string_view bytes) {
  for (;;) {
    const std::size_t lf = bytes.find('\n');
    if (lf == std::string_view::npos) {
      line_.append(bytes);
      return;
    }
    line_.append(bytes.substr(0, lf));
    line_.append("\r\n");
    bytes.remove_prefix(lf + 1);
  }
}

void line_writer::append_decimal(std::uint32_t value) {
  char digits[16];
  const auto done = std::to_chars(digits, digits + sizeof digits, value);
  line_.append(digits, done.ptr);
}

bool line_writer::hand_over(platform& system, output_target target) {
  const bool ok = write_fully(system, target, line_);
  line_.clear();
  return ok;
}

bool write_fully(platform& system, output_target target, std::string_view bytes) {
  while (!bytes.empty()) {
    const io_result done = target.standard_output ? system.write_standard_output(bytes)
                                                  : system.write(target.file, bytes);
    // Taking nothing without an error would loop for ever; count it as failure.
    if (!done.ok || done.count == 0 || done.count > bytes.size()) return false;
    bytes.remove_prefix(done.count);
  }
  return true;
}

}  // namespace cardset
