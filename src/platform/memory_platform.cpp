#include "platform/memory_platform.h"

#include <algorithm>
#include <cstring>

namespace cardset {
namespace {
bool valid_name(std::string_view name) {
  return !name.empty() && name.find('\0') == std::string_view::npos;
}
}  // namespace

const std::string& memory_platform::file(const std::string& name) const {
  static const std::string none;
  const auto found = files_.find(name);
  return found == files_.end() ? none : found->second.bytes;
}

std::optional<file_handle> memory_platform::open_for_reading(std::string_view name) {
  if (!valid_name(name)) return std::nullopt;
  const auto found = files_.find(std::string(name));
  if (found == files_.end() || found->second.is_directory) return std::nullopt;
  const std::intptr_t handle = next_handle_++;
  open_[handle] = {std::string(name), 0, false};
  return file_handle{handle};
}

std::optional<file_handle> memory_platform::open_for_writing(std::string_view name) {
  if (!valid_name(name)) return std::nullopt;
  auto& target = files_[std::string(name)];
  if (target.is_directory || target.read_only) return std::nullopt;
  target.bytes.clear();
  const std::intptr_t handle = next_handle_++;
  open_[handle] = {std::string(name), 0, true};
  return file_handle{handle};
}

io_result memory_platform::read(file_handle file, std::span<char> buffer) {
  const auto found = open_.find(file.value);
  if (found == open_.end() || found->second.writing) return {false, 0};
  const std::string& bytes = files_[found->second.name].bytes;
  std::size_t& position = found->second.position;
  std::size_t count = std::min(buffer.size(), bytes.size() - std::min(position, bytes.size()));
  if (read_limit_ != 0) count = std::min(count, read_limit_);
  if (count != 0) std::memcpy(buffer.data(), bytes.data() + position, count);
  position += count;
  return {true, count};
}

io_result memory_platform::write(file_handle file, std::span<const char> bytes) {
  const auto found = open_.find(file.value);
  if (found == open_.end() || !found->second.writing) return {false, 0};
  files_[found->second.name].bytes.append(bytes.data(), bytes.size());
  return {true, bytes.size()};
}

io_result memory_platform::write_standard_output(std::span<const char> bytes) {
  standard_output_.append(bytes.data(), bytes.size());
  return {true, bytes.size()};
}

bool memory_platform::close(file_handle file) { return open_.erase(file.value) == 1; }

}  // namespace cardset
