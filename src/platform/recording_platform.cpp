#include "platform/recording_platform.h"

namespace cardset {

std::uint32_t recording_platform::tick_count() {
  // Reading the clock cannot fail; an injected fault here changes nothing.
  const bool injected = failing_now();
  const std::uint32_t ticks = inner_.tick_count();
  calls_.push_back({call_kind::tick_count, {}, {}, 0, true, injected});
  return ticks;
}

std::optional<file_handle> recording_platform::record_open(call_kind kind, std::string_view name) {
  if (failing_now()) {
    calls_.push_back({kind, std::string(name), {}, 0, false, true});
    return std::nullopt;
  }
  const auto file = kind == call_kind::open_for_reading ? inner_.open_for_reading(name)
                                                        : inner_.open_for_writing(name);
  calls_.push_back(
      {kind, std::string(name), file.value_or(file_handle{}), 0, file.has_value(), false});
  return file;
}

std::optional<file_handle> recording_platform::open_for_reading(std::string_view name) {
  return record_open(call_kind::open_for_reading, name);
}

std::optional<file_handle> recording_platform::open_for_writing(std::string_view name) {
  return record_open(call_kind::open_for_writing, name);
}

io_result recording_platform::read(file_handle file, std::span<char> buffer) {
  if (failing_now()) {
    calls_.push_back({call_kind::read, {}, file, buffer.size(), false, true});
    return {false, 0};
  }
  const io_result result = inner_.read(file, buffer);
  calls_.push_back({call_kind::read, {}, file, buffer.size(), result.ok, false});
  return result;
}

io_result recording_platform::write_through(call_kind kind, file_handle file,
                                            std::span<const char> bytes) {
  const bool injected = failing_now();
  if (injected && fault_ == fault_kind::error) {
    calls_.push_back({kind, {}, file, bytes.size(), false, true});
    return {false, 0};
  }
  const std::span<const char> taken = injected ? bytes.first(bytes.size() / 2) : bytes;
  const io_result result =
      kind == call_kind::write ? inner_.write(file, taken) : inner_.write_standard_output(taken);
  calls_.push_back({kind, {}, file, bytes.size(), result.ok, injected});
  return result;
}

io_result recording_platform::write(file_handle file, std::span<const char> bytes) {
  return write_through(call_kind::write, file, bytes);
}

io_result recording_platform::write_standard_output(std::span<const char> bytes) {
  return write_through(call_kind::write_standard_output, {}, bytes);
}

bool recording_platform::close(file_handle file) {
  if (failing_now()) {
    // A failed close still releases the file, as on the real systems; what
    // the inner close says is replaced by the injected failure.
    (void)inner_.close(file);
    calls_.push_back({call_kind::close, {}, file, 0, false, true});
    return false;
  }
  const bool ok = inner_.close(file);
  calls_.push_back({call_kind::close, {}, file, 0, ok, false});
  return ok;
}

}  // namespace cardset
