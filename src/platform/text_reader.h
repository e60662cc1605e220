#pragma once

#include <cstddef>
#include <memory>
#include <span>

#include "platform/platform.h"

namespace cardset {

// Reads an open file in text mode, the same on every platform: the pair
// CR LF reads as LF, any other CR stays an ordinary byte (also at the very end
// of the file and just before 0x1A), and the first 0x1A ends the content.
// The file is read in blocks of block_size bytes; nothing is read past the
// block that holds the 0x1A.
class text_reader {
 public:
  static constexpr std::size_t default_block_size = std::size_t{256} * 1024;

  text_reader(platform& system, file_handle file, std::size_t block_size = default_block_size);

  // The next piece of the translated content, valid until the next call.
  // Empty at the end of the content, after a read error, or when the block
  // could not be allocated; failed() tells those last two apart from the end.
  std::span<const char> next_chunk();
  bool failed() const { return failed_; }

 private:
  platform& system_;
  file_handle file_;
  std::size_t block_size_;
  std::unique_ptr<char[]> block_;  // one spare byte in front for a held-back CR
  bool held_cr_ = false;           // a CR ended the last block; its partner is unknown
  bool ended_ = false;
  bool failed_ = false;
};

// A byte-at-a-time view of a text_reader, for small grammars.
class text_cursor {
 public:
  explicit text_cursor(text_reader& reader) : reader_(reader) {}
  // The byte at the cursor, or -1 at the end of the content.
  int peek() {
    if (position_ == chunk_.size() && !refill()) return -1;
    return static_cast<unsigned char>(chunk_[position_]);
  }
  void advance() { ++position_; }

 private:
  bool refill();
  text_reader& reader_;
  std::span<const char> chunk_;
  std::size_t position_ = 0;
};

}  // namespace cardset
