#include "platform/win32_platform.h"

#include <cstring>

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

namespace cardset {
namespace {

constexpr std::size_t max_name_bytes = 4096;

// One ReadFile or WriteFile moves at most this much; the count is a DWORD,
// and a shorter transfer is allowed by the interface.
constexpr std::size_t max_transfer = std::size_t{1} << 30;

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

HANDLE handle_of(file_handle file) { return reinterpret_cast<HANDLE>(file.value); }
file_handle file_handle_of(HANDLE handle) { return {reinterpret_cast<std::intptr_t>(handle)}; }
bool is_valid(HANDLE handle) { return handle != nullptr && handle != INVALID_HANDLE_VALUE; }

DWORD transfer_size(std::size_t wanted) {
  return static_cast<DWORD>(wanted < max_transfer ? wanted : max_transfer);
}

// Opens with other processes keeping the right to read and write the file,
// as the C runtime's fopen does.
std::optional<file_handle> open_shared(std::string_view name, DWORD access, DWORD disposition,
                                       DWORD flags) {
  char c_name[max_name_bytes + 1];
  if (!to_c_name(name, c_name)) return std::nullopt;
  const HANDLE handle = ::CreateFileA(c_name, access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      disposition, flags, nullptr);
  if (!is_valid(handle)) return std::nullopt;
  return file_handle_of(handle);
}

io_result write_handle(HANDLE handle, std::span<const char> bytes) {
  if (bytes.empty()) return {true, 0};
  DWORD written = 0;
  if (!::WriteFile(handle, bytes.data(), transfer_size(bytes.size()), &written, nullptr)) {
    return {false, 0};
  }
  return {true, written};
}

}  // namespace

win32_platform::win32_platform() {
  // SetErrorMode only returns the old mode by replacing it; the second call
  // puts back whatever else the parent asked for.
  const UINT mode = ::SetErrorMode(SEM_FAILCRITICALERRORS);
  (void)::SetErrorMode(mode | SEM_FAILCRITICALERRORS);

  // A handle value the process does not hold could later be given to one of
  // the run's files; only a handle that is open now is used as the output.
  const HANDLE output = ::GetStdHandle(STD_OUTPUT_HANDLE);
  if (is_valid(output)) {
    ::SetLastError(NO_ERROR);
    if (::GetFileType(output) != FILE_TYPE_UNKNOWN || ::GetLastError() == NO_ERROR) {
      standard_output_ = file_handle_of(output);
    }
  }
}

std::uint32_t win32_platform::tick_count() { return static_cast<std::uint32_t>(::GetTickCount()); }

std::optional<file_handle> win32_platform::open_for_reading(std::string_view name) {
  // Without FILE_FLAG_BACKUP_SEMANTICS a directory is refused by the open
  // itself; the check after it keeps that true whatever the file system.
  const auto file = open_shared(name, GENERIC_READ, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN);
  if (!file) return std::nullopt;
  BY_HANDLE_FILE_INFORMATION info{};
  if (::GetFileType(handle_of(*file)) == FILE_TYPE_DISK &&
      ::GetFileInformationByHandle(handle_of(*file), &info) &&
      (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    (void)::CloseHandle(handle_of(*file));
    return std::nullopt;
  }
  return file;
}

std::optional<file_handle> win32_platform::open_for_writing(std::string_view name) {
  // CREATE_ALWAYS is what the C runtime's fopen "w" asks for: creation and
  // truncation in the one call, so no file is ever left open but untruncated,
  // and a hidden or system file is refused just as fopen refuses it.
  return open_shared(name, GENERIC_WRITE, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL);
}

io_result win32_platform::read(file_handle file, std::span<char> buffer) {
  if (buffer.empty()) return {true, 0};
  DWORD got = 0;
  if (::ReadFile(handle_of(file), buffer.data(), transfer_size(buffer.size()), &got, nullptr)) {
    return {true, got};
  }
  // A pipe whose writer has closed its end reports that instead of a plain
  // read of nothing; for the reader it is the end of the file.
  const DWORD error = ::GetLastError();
  if (error == ERROR_BROKEN_PIPE || error == ERROR_HANDLE_EOF) return {true, 0};
  return {false, 0};
}

io_result win32_platform::write(file_handle file, std::span<const char> bytes) {
  return write_handle(handle_of(file), bytes);
}

io_result win32_platform::write_standard_output(std::span<const char> bytes) {
  // Raw bytes through WriteFile: the lines already end in CR LF, and the
  // C runtime's text mode would turn their LF into a second CR LF.
  if (!standard_output_) return {false, 0};
  return write_handle(handle_of(*standard_output_), bytes);
}

bool win32_platform::close(file_handle file) { return ::CloseHandle(handle_of(file)) != 0; }

}  // namespace cardset
