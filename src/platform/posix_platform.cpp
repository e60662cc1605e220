#include "platform/posix_platform.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace cardset {
namespace {

constexpr std::size_t max_name_bytes = 4096;

// Copies a name into a zero-terminated buffer; fails when it holds a zero byte
// or does not fit, rather than opening a shorter name.
bool to_c_name(std::string_view name, char (&out)[max_name_bytes + 1]) {
  if (name.size() > max_name_bytes || name.find('\0') != std::string_view::npos) {
    return false;
  }
  std::memcpy(out, name.data(), name.size());
  out[name.size()] = '\0';
  return true;
}

// Opens without blocking (a FIFO without a writer would otherwise wait for
// ever), then turns blocking reads and writes back on.
int open_nonblocking_then_block(const char* name, int flags) {
  int fd = -1;
  do {
    fd = ::open(name, flags | O_NONBLOCK | O_CLOEXEC | O_NOCTTY, 0666);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) return -1;
  const int status = ::fcntl(fd, F_GETFL);
  if (status < 0 || ::fcntl(fd, F_SETFL, status & ~O_NONBLOCK) < 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

io_result write_descriptor(int fd, std::span<const char> bytes) {
  for (;;) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n >= 0) return {true, static_cast<std::size_t>(n)};
    if (errno != EINTR) return {false, 0};
  }
}

bool descriptor_is_open(int fd) { return ::fcntl(fd, F_GETFD) >= 0 || errno != EBADF; }

}  // namespace

posix_platform::posix_platform() {
  std::signal(SIGPIPE, SIG_IGN);
  for (int fd = 0; fd <= 2; ++fd) {
    if (descriptor_is_open(fd)) continue;
    // Hold the number with /dev/null; the lowest free number is the one taken.
    const int held = ::open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
    if (fd == 1) standard_output_usable_ = false;
    if (held >= 0 && held != fd) ::close(held);
  }
}

std::uint32_t posix_platform::tick_count() {
  timespec now{};
#ifdef CLOCK_BOOTTIME
  if (::clock_gettime(CLOCK_BOOTTIME, &now) != 0)
#endif
    ::clock_gettime(CLOCK_MONOTONIC, &now);
  const auto ms = static_cast<std::uint64_t>(now.tv_sec) * 1000u +
                  static_cast<std::uint64_t>(now.tv_nsec) / 1000000u;
  return static_cast<std::uint32_t>(ms);
}

std::optional<file_handle> posix_platform::open_for_reading(std::string_view name) {
  char c_name[max_name_bytes + 1];
  if (!to_c_name(name, c_name)) return std::nullopt;
  const int fd = open_nonblocking_then_block(c_name, O_RDONLY);
  if (fd < 0) return std::nullopt;
  struct stat info {};
  if (::fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) {
    ::close(fd);
    return std::nullopt;
  }
  return file_handle{fd};
}

std::optional<file_handle> posix_platform::open_for_writing(std::string_view name) {
  char c_name[max_name_bytes + 1];
  if (!to_c_name(name, c_name)) return std::nullopt;
  const int fd = open_nonblocking_then_block(c_name, O_WRONLY | O_CREAT | O_TRUNC);
  if (fd < 0) return std::nullopt;
  return file_handle{fd};
}

io_result posix_platform::read(file_handle file, std::span<char> buffer) {
  for (;;) {
    const ssize_t n = ::read(static_cast<int>(file.value), buffer.data(), buffer.size());
    if (n >= 0) return {true, static_cast<std::size_t>(n)};
    if (errno != EINTR) return {false, 0};
  }
}

io_result posix_platform::write(file_handle file, std::span<const char> bytes) {
  return write_descriptor(static_cast<int>(file.value), bytes);
}

io_result posix_platform::write_standard_output(std::span<const char> bytes) {
  if (!standard_output_usable_) return {false, 0};
  return write_descriptor(STDOUT_FILENO, bytes);
}

bool posix_platform::close(file_handle file) {
  // Linux releases the descriptor even when close reports EINTR, so it is
  // never retried: a retry could close a descriptor opened meanwhile.
  return ::close(static_cast<int>(file.value)) == 0;
}

}  // namespace cardset
