#pragma once

#include <map>
#include <string>

#include "platform/platform.h"

namespace cardset {

// A platform whose files live in memory, for tests, fuzzers and benchmarks.
// It behaves as the real ones do: a directory cannot be opened, opening for
// writing truncates, reads follow the file's current content.
class memory_platform final : public platform {
 public:
  struct entry {
    std::string bytes;
    bool is_directory = false;
    bool read_only = false;
  };

  explicit memory_platform(std::uint32_t ticks = 0) : ticks_(ticks) {}

  void set_file(const std::string& name, std::string bytes) { files_[name] = {std::move(bytes)}; }
  void make_directory(const std::string& name) { files_[name] = {{}, true}; }
  void make_read_only(const std::string& name) { files_[name].read_only = true; }
  bool exists(const std::string& name) const { return files_.count(name) != 0; }
  // The file's bytes; empty when it does not exist.
  const std::string& file(const std::string& name) const;
  const std::map<std::string, entry>& files() const { return files_; }
  const std::string& standard_output() const { return standard_output_; }
  std::size_t open_file_count() const { return open_.size(); }
  // Limits each read to this many bytes, to exercise block boundaries.
  void set_read_limit(std::size_t bytes) { read_limit_ = bytes; }

  std::uint32_t tick_count() override { return ticks_; }
  std::optional<file_handle> open_for_reading(std::string_view name) override;
  std::optional<file_handle> open_for_writing(std::string_view name) override;
  io_result read(file_handle file, std::span<char> buffer) override;
  io_result write(file_handle file, std::span<const char> bytes) override;
  io_result write_standard_output(std::span<const char> bytes) override;
  bool close(file_handle file) override;

 private:
  struct open_file {
    std::string name;
    std::size_t position = 0;
    bool writing = false;
  };

  std::uint32_t ticks_;
  std::map<std::string, entry> files_;
  std::map<std::intptr_t, open_file> open_;
  std::intptr_t next_handle_ = 3;
  std::string standard_output_;
  std::size_t read_limit_ = 0;
};

}  // namespace cardset
