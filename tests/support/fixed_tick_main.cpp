// Runs the tool in the working directory on the real platform, but with the
// tick count given as the only argument, so that end-to-end checks can
// compare whole runs byte for byte, also across platforms.

#include <cstdint>
#include <cstdlib>

#include "run/run_cardset.h"

#ifdef _WIN32
#include "platform/win32_platform.h"
using native_platform = cardset::win32_platform;
#else
#include "platform/posix_platform.h"
using native_platform = cardset::posix_platform;
#endif

namespace {

class fixed_tick_platform final : public cardset::platform {
 public:
  fixed_tick_platform(cardset::platform& inner, std::uint32_t ticks)
      : inner_(inner), ticks_(ticks) {}
  std::uint32_t tick_count() override { return ticks_; }
  std::optional<cardset::file_handle> open_for_reading(std::string_view name) override {
    return inner_.open_for_reading(name);
  }
  std::optional<cardset::file_handle> open_for_writing(std::string_view name) override {
    return inner_.open_for_writing(name);
  }
  cardset::io_result read(cardset::file_handle file, std::span<char> buffer) override {
    return inner_.read(file, buffer);
  }
  cardset::io_result write(cardset::file_handle file, std::span<const char> bytes) override {
    return inner_.write(file, bytes);
  }
  cardset::io_result write_standard_output(std::span<const char> bytes) override {
    return inner_.write_standard_output(bytes);
  }
  bool close(cardset::file_handle file) override { return inner_.close(file); }

 private:
  cardset::platform& inner_;
  std::uint32_t ticks_;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  char* end = nullptr;
  const unsigned long long ticks = std::strtoull(argv[1], &end, 0);
  if (end == argv[1] || *end != '\0' || ticks > 0xFFFFFFFFull) return 2;
  native_platform real;
  fixed_tick_platform system(real, static_cast<std::uint32_t>(ticks));
  return cardset::run_cardset(system);
}
