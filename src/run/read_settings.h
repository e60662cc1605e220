#pragma once

#include <optional>

#include "platform/platform.h"
#include "platform/text_reader.h"
#include "run/run_settings.h"

namespace cardset {

inline constexpr std::string_view settings_file_name = "config.txt";
inline constexpr std::size_t max_deck_path_bytes = 255;

// What the settings text gave. Fields are read in file order; reading stops
// at the first field that is missing, malformed or out of range, and that
// field and every later one stay unset.
struct settings_parse {
  run_settings values;
  int fields_read = 0;              // 0 to 4: deck_path, draw_probability, cards_per_set, set_count
  bool deck_path_too_long = false;  // a word of 256 bytes or more where deck_path stands
  bool read_failed = false;         // the file could not be read to the end of what was needed

  // Every field set, read whole, from a file that read without error.
  bool complete() const { return fields_read == 4 && !deck_path_too_long && !read_failed; }
};

// Parses the settings grammar from text-mode content. Reads no further than
// the end of set_count.
settings_parse parse_settings(text_cursor& content);

// The result of read_settings: the open settings file, which the caller keeps
// open until the run ends and then closes, and what was read from it.
struct settings_read {
  file_handle file;
  settings_parse parse;
};

// Opens "config.txt" read-only in the working directory and reads the four
// values. Nothing when the file cannot be opened.
std::optional<settings_read> read_settings(platform& system);

}  // namespace cardset
