#ifdef _WIN32

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/win32_platform.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

namespace cardset {
namespace {

namespace fs = std::filesystem;

class win32_platform_test : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() /
              ("cardset-win32-" + std::to_string(::GetCurrentProcessId()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(folder_);
    ASSERT_TRUE(fs::create_directory(folder_));
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
  }
  // Names as the tool passes them: bytes, joined here without any conversion.
  std::string path(const std::string& name) const { return folder_.string() + "\\" + name; }
  void put(const std::string& name, const std::string& bytes) const {
    std::ofstream(folder_ / name, std::ios::binary) << bytes;
  }
  std::string content(const std::string& name) const {
    std::string bytes(static_cast<std::size_t>(fs::file_size(folder_ / name)), '\0');
    std::ifstream(folder_ / name, std::ios::binary)
        .read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return bytes;
  }
  std::string read_all(file_handle file) {
    std::string out;
    char buffer[7];  // small, so a read ends mid-content
    for (;;) {
      const io_result got = system_.read(file, buffer);
      EXPECT_TRUE(got.ok);
      if (!got.ok || got.count == 0) return out;
      out.append(buffer, got.count);
    }
  }

  fs::path folder_;
  win32_platform system_;
};

// Bytes pass both ways untranslated: text mode is done above this layer.
TEST_F(win32_platform_test, writes_and_reads_bytes_unchanged) {
  const std::string bytes(
      "a\nb\r\nc\rd\x1a"
      "e\0f\x81\x40",
      14);
  const auto out = system_.open_for_writing(path("bytes.bin"));
  ASSERT_TRUE(out);
  const io_result put = system_.write(*out, bytes);
  EXPECT_TRUE(put.ok);
  EXPECT_EQ(put.count, bytes.size());
  EXPECT_TRUE(system_.close(*out));
  EXPECT_EQ(content("bytes.bin"), bytes);

  const auto in = system_.open_for_reading(path("bytes.bin"));
  ASSERT_TRUE(in);
  EXPECT_EQ(read_all(*in), bytes);
  EXPECT_TRUE(system_.close(*in));
}

TEST_F(win32_platform_test, writing_creates_or_truncates) {
  put("old.qzt", "a longer old content\r\n");
  for (const char* name : {"old.qzt", "new.qzt"}) {
    SCOPED_TRACE(name);
    const auto out = system_.open_for_writing(path(name));
    ASSERT_TRUE(out);
    EXPECT_TRUE(system_.write(*out, std::string_view("x\r\n")).ok);
    EXPECT_TRUE(system_.close(*out));
    EXPECT_EQ(content(name), "x\r\n");
  }
}

TEST_F(win32_platform_test, refused_opens) {
  put("deck", "apple\n");
  fs::create_directory(folder_ / "folder");
  EXPECT_FALSE(system_.open_for_reading(path("missing.txt")));
  EXPECT_FALSE(system_.open_for_reading(path("folder")));
  EXPECT_FALSE(system_.open_for_writing(path("folder")));
  // A zero byte would otherwise cut the name to one that exists.
  const std::string cut = path("deck") + std::string(1, '\0') + "x";
  EXPECT_FALSE(system_.open_for_reading(cut));
  EXPECT_FALSE(system_.open_for_writing(cut));
  EXPECT_EQ(content("deck"), "apple\n");
}

// While the tool holds a file, others may still open it to read and to write.
TEST_F(win32_platform_test, opens_share_reading_and_writing) {
  put("config.txt", "deck 1 1 1");
  const auto held_for_reading = system_.open_for_reading(path("config.txt"));
  const auto held_for_writing = system_.open_for_writing(path("cardset_1.qzt"));
  ASSERT_TRUE(held_for_reading);
  ASSERT_TRUE(held_for_writing);
  for (const char* name : {"config.txt", "cardset_1.qzt"}) {
    SCOPED_TRACE(name);
    const HANDLE other = ::CreateFileA(path(name).c_str(), GENERIC_READ | GENERIC_WRITE,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                       FILE_ATTRIBUTE_NORMAL, nullptr);
    EXPECT_NE(other, INVALID_HANDLE_VALUE);
    if (other != INVALID_HANDLE_VALUE) ::CloseHandle(other);
  }
  EXPECT_TRUE(system_.close(*held_for_reading));
  EXPECT_TRUE(system_.close(*held_for_writing));
}

// The name's bytes go to the system as its ANSI code page reads them, with
// no conversion of our own (a Shift_JIS name on a Japanese system).
TEST_F(win32_platform_test, name_bytes_reach_the_ansi_entry_points) {
  const std::string name = "\x93\xfa\x96\x7b.txt";  // "Japan" in Shift_JIS
  wchar_t wide[64];
  const int length = ::MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, name.data(),
                                           static_cast<int>(name.size()), wide, 63);
  if (length <= 0) GTEST_SKIP() << "the name is not text in this system's code page";
  wide[length] = L'\0';
  std::ofstream(folder_ / fs::path(std::wstring(wide)), std::ios::binary) << "card\n";

  const auto in = system_.open_for_reading(path(name));
  ASSERT_TRUE(in);
  EXPECT_EQ(read_all(*in), "card\n");
  EXPECT_TRUE(system_.close(*in));
}

// A pipe whose writer has gone reports a broken pipe; that is its end.
TEST_F(win32_platform_test, a_closed_pipe_reads_as_the_end) {
  HANDLE reading = nullptr;
  HANDLE writing = nullptr;
  ASSERT_TRUE(::CreatePipe(&reading, &writing, nullptr, 0));
  DWORD written = 0;
  ASSERT_TRUE(::WriteFile(writing, "deck 1 1 1", 10, &written, nullptr));
  ::CloseHandle(writing);
  const file_handle file{reinterpret_cast<std::intptr_t>(reading)};
  EXPECT_EQ(read_all(file), "deck 1 1 1");  // the last read was ok, with 0 bytes
  EXPECT_TRUE(system_.close(file));
}

// Swaps the process's standard output for the test's length.
class standard_output_swap {
 public:
  explicit standard_output_swap(HANDLE replacement) : saved_(::GetStdHandle(STD_OUTPUT_HANDLE)) {
    ::SetStdHandle(STD_OUTPUT_HANDLE, replacement);
  }
  ~standard_output_swap() { ::SetStdHandle(STD_OUTPUT_HANDLE, saved_); }
  standard_output_swap(const standard_output_swap&) = delete;
  standard_output_swap& operator=(const standard_output_swap&) = delete;

 private:
  HANDLE saved_;
};

// The report's own CR LF reaches standard output once, not as CR CR LF.
TEST_F(win32_platform_test, standard_output_takes_bytes_unchanged) {
  HANDLE reading = nullptr;
  HANDLE writing = nullptr;
  ASSERT_TRUE(::CreatePipe(&reading, &writing, nullptr, 0));
  {
    const standard_output_swap swap(writing);
    win32_platform system;
    const std::string_view line("Set: 1\r\n\n");
    const io_result put = system.write_standard_output(line);
    EXPECT_TRUE(put.ok);
    EXPECT_EQ(put.count, line.size());
  }
  ::CloseHandle(writing);
  const file_handle file{reinterpret_cast<std::intptr_t>(reading)};
  EXPECT_EQ(read_all(file), "Set: 1\r\n\n");
  EXPECT_TRUE(system_.close(file));
}

TEST_F(win32_platform_test, no_standard_output_fails_the_write) {
  const standard_output_swap swap(nullptr);
  win32_platform system;
  EXPECT_FALSE(system.write_standard_output(std::string_view("\r\n")).ok);
}

}  // namespace
}  // namespace cardset

#endif
