#include "platform/text_reader.h"

#include <cstring>
#include <new>

namespace cardset {

text_reader::text_reader(platform& system, file_handle file, std::size_t block_size)
    : system_(system),
      file_(file),
      block_size_(block_size == 0 ? 1 : block_size),
      block_(new (std::nothrow) char[block_size_ + 1]) {
  if (!block_) failed_ = true;
}

std::span<const char> text_reader::next_chunk() {
  while (!ended_ && !failed_) {
    // Reads land one byte in, so a held-back CR can be put in front of them.
    char* start = block_.get() + 1;
    std::size_t length = 0;
    if (held_cr_) {
      --start;
      start[length++] = '\r';
    }
    const io_result got = system_.read(file_, std::span<char>(block_.get() + 1, block_size_));
    if (!got.ok) {
      failed_ = true;
      break;
    }
    if (got.count == 0) {
      // The end of the file: a CR held back has no partner and stays a byte.
      ended_ = true;
      held_cr_ = false;
      if (length != 0) return {start, length};
      break;
    }
    length += got.count;
    held_cr_ = false;

    if (void* eof = std::memchr(start, 0x1A, length)) {
      length = static_cast<std::size_t>(static_cast<char*>(eof) - start);
      ended_ = true;
    } else if (start[length - 1] == '\r') {
      held_cr_ = true;
      --length;
    }

    // Turn each CR LF into LF, in place, moving the runs between CRs whole.
    char* cr = static_cast<char*>(std::memchr(start, '\r', length));
    if (cr != nullptr) {
      char* out = cr;
      const char* in = cr;  // always at a CR
      const char* const end = start + length;
      while (in < end) {
        const char* run = in + 1 < end && in[1] == '\n' ? in + 1 : in;
        const auto* next_cr = static_cast<const char*>(
            std::memchr(in + 1, '\r', static_cast<std::size_t>(end - in - 1)));
        if (next_cr == nullptr) next_cr = end;
        const auto run_length = static_cast<std::size_t>(next_cr - run);
        std::memmove(out, run, run_length);
        out += run_length;
        in = next_cr;
      }
      length = static_cast<std::size_t>(out - start);
    }
    if (length != 0) return {start, length};
  }
  return {};
}

bool text_cursor::refill() {
  chunk_ = reader_.next_chunk();
  position_ = 0;
  return !chunk_.empty();
}

}  // namespace cardset
