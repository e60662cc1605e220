#include <gtest/gtest.h>

#include <string>

#include "platform/line_writer.h"
#include "platform/memory_platform.h"
#include "platform/recording_platform.h"
#include "platform/text_reader.h"

namespace cardset {
namespace {

// Everything a text_reader yields for the file's bytes, read in blocks of block_size.
std::string read_text(const std::string& bytes, std::size_t block_size,
                      std::size_t read_limit = 0) {
  memory_platform files;
  files.set_file("f", bytes);
  files.set_read_limit(read_limit);
  const auto file = files.open_for_reading("f");
  text_reader reader(files, *file, block_size);
  std::string out;
  for (auto chunk = reader.next_chunk(); !chunk.empty(); chunk = reader.next_chunk()) {
    out.append(chunk.data(), chunk.size());
  }
  EXPECT_FALSE(reader.failed());
  return out;
}

TEST(text_reader, translates_on_every_block_boundary) {
  struct text_case {
    std::string file;
    std::string content;
  };
  const text_case cases[] = {
      {"a\r\nb\r\n", "a\nb\n"},
      {"a\rb\n", "a\rb\n"},    // a lone CR stays
      {"a\r\r\n", "a\r\n"},    // only the CR next to LF goes
      {"a\r", "a\r"},          // a CR at the very end stays
      {"a\r\x1A\r\n", "a\r"},  // a CR before 0x1A stays; 0x1A ends the content
      {"a\n\x1A"
       "b\n",
       "a\n"},
      {"\x1A", ""},
      {"\r\n\r\n", "\n\n"},
      {"\n\r", "\n\r"},
      {"\r\r\r", "\r\r\r"},
      {std::string("a\0\r\nb", 5), std::string("a\0\nb", 4)},
      {"", ""},
  };
  for (const auto& c : cases) {
    for (std::size_t block = 1; block <= 8; ++block) {
      EXPECT_EQ(read_text(c.file, block), c.content) << "block " << block << " file " << c.file;
    }
    EXPECT_EQ(read_text(c.file, text_reader::default_block_size, 1), c.content);
    EXPECT_EQ(read_text(c.file, text_reader::default_block_size), c.content);
  }
}

TEST(text_reader, reads_nothing_after_the_block_holding_0x1A) {
  memory_platform files;
  files.set_file("f",
                 "ab\x1A"
                 "cdefgh");
  recording_platform recorded(files);
  const auto file = recorded.open_for_reading("f");
  text_reader reader(recorded, *file, 3);
  EXPECT_EQ(std::string(reader.next_chunk().data(), 2), "ab");
  EXPECT_TRUE(reader.next_chunk().empty());
  EXPECT_EQ(recorded.calls().size(), 2u);  // the open and a single read
}

TEST(text_reader, reports_a_read_error_apart_from_the_end) {
  memory_platform files;
  files.set_file("f", "abcdef");
  recording_platform recorded(files);
  const auto file = recorded.open_for_reading("f");
  recorded.fail_call(2);  // the second read
  text_reader reader(recorded, *file, 4);
  EXPECT_FALSE(reader.next_chunk().empty());
  EXPECT_TRUE(reader.next_chunk().empty());
  EXPECT_TRUE(reader.failed());
}

TEST(line_writer, writes_lf_as_cr_lf_in_one_call_per_line) {
  memory_platform files;
  recording_platform recorded(files);
  const auto file = recorded.open_for_writing("out");
  line_writer line;
  line.append("a\rb");
  line.append("\n");
  ASSERT_TRUE(line.hand_over(recorded, {false, *file}));
  line.append("\n\n");
  ASSERT_TRUE(line.hand_over(recorded, {false, *file}));
  EXPECT_EQ(files.file("out"), "a\rb\r\n\r\n\r\n");
  ASSERT_EQ(recorded.calls().size(), 3u);
  EXPECT_EQ(recorded.calls()[1].size, 5u);
}

TEST(line_writer, finishes_a_short_write_and_fails_on_an_error) {
  memory_platform files;
  recording_platform recorded(files);
  const auto file = recorded.open_for_writing("out");
  recorded.fail_call(1, fault_kind::short_write);
  line_writer line;
  line.append("abcd\n");
  ASSERT_TRUE(line.hand_over(recorded, {false, *file}));
  EXPECT_EQ(files.file("out"), "abcd\r\n");

  recorded.fail_call(recorded.calls().size());
  line.append("x\n");
  EXPECT_FALSE(line.hand_over(recorded, {false, *file}));
  line.append("y\n");
  ASSERT_TRUE(line.hand_over(recorded, {false, *file}));
  EXPECT_EQ(files.file("out"), "abcd\r\ny\r\n");  // a failed line leaves nothing behind
}

}  // namespace
}  // namespace cardset
