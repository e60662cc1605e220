#ifndef _WIN32

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/posix_platform.h"

namespace cardset {
namespace {

namespace fs = std::filesystem;

class posix_platform_test : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/cardset-posix-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    folder_ = pattern;
  }
  void TearDown() override { fs::remove_all(folder_); }
  std::string path(const std::string& name) const { return (folder_ / name).string(); }

  fs::path folder_;
  posix_platform system_;
};

TEST_F(posix_platform_test, writes_truncates_and_reads_back_bytes) {
  const std::string name = path("f");
  { std::ofstream(name) << "old content, longer"; }
  auto file = system_.open_for_writing(name);
  ASSERT_TRUE(file);
  const std::string bytes("a\r\n\0b", 5);
  EXPECT_EQ(system_.write(*file, bytes).count, 5u);
  EXPECT_TRUE(system_.close(*file));

  file = system_.open_for_reading(name);
  ASSERT_TRUE(file);
  char buffer[64];
  const io_result got = system_.read(*file, buffer);
  EXPECT_TRUE(got.ok);
  EXPECT_EQ(std::string(buffer, got.count), bytes);
  EXPECT_EQ(system_.read(*file, buffer).count, 0u);
  EXPECT_TRUE(system_.close(*file));
}

TEST_F(posix_platform_test, refuses_directories_missing_files_and_zero_bytes_in_names) {
  fs::create_directory(path("dir"));
  EXPECT_FALSE(system_.open_for_reading(path("dir")));
  EXPECT_FALSE(system_.open_for_writing(path("dir")));
  EXPECT_FALSE(system_.open_for_reading(path("missing")));
  EXPECT_FALSE(system_.open_for_reading(""));
  { std::ofstream(path("short")) << "x"; }
  EXPECT_FALSE(system_.open_for_reading(path("short") + std::string("\0.txt", 5)));
  EXPECT_FALSE(system_.open_for_writing(path("short") + std::string("\0.txt", 5)));
}

TEST_F(posix_platform_test, does_not_wait_on_a_fifo_without_a_peer) {
  ASSERT_EQ(::mkfifo(path("fifo").c_str(), 0600), 0);
  // Reading: the open returns at once and the read meets the end.
  const auto file = system_.open_for_reading(path("fifo"));
  ASSERT_TRUE(file);
  char buffer[8];
  const io_result got = system_.read(*file, buffer);
  EXPECT_TRUE(got.ok);
  EXPECT_EQ(got.count, 0u);
  EXPECT_TRUE(system_.close(*file));
  // Writing: with no reader the open fails instead of waiting.
  EXPECT_FALSE(system_.open_for_writing(path("fifo")));
}

TEST_F(posix_platform_test, reports_a_full_disk_as_a_failed_write) {
  const auto file = system_.open_for_writing("/dev/full");
  ASSERT_TRUE(file);
  EXPECT_FALSE(system_.write(*file, std::string("x\r\n")).ok);
  EXPECT_TRUE(system_.close(*file));
}

}  // namespace
}  // namespace cardset

#endif
