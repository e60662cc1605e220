#pragma once

#include <string_view>

namespace cardset {

// True when a line holds nothing but white space: the bytes 0x09 to 0x0D and
// 0x20, and the two-byte ideographic space 0x81 0x40. Bytes 0x81 to 0xFF
// start a two-byte character, paired from the left whatever follows; any
// other pair, a lone lead byte at the end, and every other byte (0x80
// included) make the line not blank. No locale or code page takes part.
// The line is given up to its first zero byte.
bool is_blank_line(std::string_view line);

}  // namespace cardset
