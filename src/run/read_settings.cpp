#include "run/read_settings.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <string>

namespace cardset {
namespace {

bool is_white_space(int byte) { return byte == 0x20 || (byte >= 0x09 && byte <= 0x0D); }
bool is_digit(int byte) { return byte >= '0' && byte <= '9'; }

// Counts stay far from overflow however many digits a number has.
constexpr std::int64_t count_cap = std::int64_t{1} << 50;
std::int64_t capped(std::int64_t value) { return std::clamp(value, -count_cap, count_cap); }

void skip_white_space(text_cursor& in) {
  while (is_white_space(in.peek())) in.advance();
}

// An optional "+" or "-"; true for "-".
bool take_sign(text_cursor& in) {
  const int byte = in.peek();
  if (byte == '+' || byte == '-') in.advance();
  return byte == '-';
}

// At most this many significant digits of a mantissa take part in its value.
constexpr std::size_t max_significant_digits = 36;

std::optional<double> read_decimal(text_cursor& in) {
  const bool negative = take_sign(in);
  std::string digits;         // significant digits kept, without leading zeros
  std::int64_t exponent = 0;  // power of ten that the kept digits are to be scaled by
  bool any_digit = false;

  for (; is_digit(in.peek()); in.advance()) {
    any_digit = true;
    const char digit = static_cast<char>(in.peek());
    if (digits.empty() && digit == '0') continue;
    if (digits.size() < max_significant_digits) {
      digits.push_back(digit);
    } else {
      exponent = capped(exponent + 1);  // a further digit before the point counts as zero
    }
  }
  if (in.peek() == '.') {
    in.advance();
    for (; is_digit(in.peek()); in.advance()) {
      any_digit = true;
      const char digit = static_cast<char>(in.peek());
      if (digits.empty() && digit == '0') {
        exponent = capped(exponent - 1);
      } else if (digits.size() < max_significant_digits) {
        digits.push_back(digit);
        exponent = capped(exponent - 1);
      }  // further digits after the point are ignored
    }
  }
  if (!any_digit) return std::nullopt;

  if (in.peek() == 'e' || in.peek() == 'E') {
    in.advance();
    const bool negative_exponent = take_sign(in);
    if (!is_digit(in.peek())) return std::nullopt;
    std::int64_t written = 0;
    for (; is_digit(in.peek()); in.advance()) written = capped(written * 10 + (in.peek() - '0'));
    exponent = capped(exponent + (negative_exponent ? -written : written));
  }

  double magnitude = 0.0;
  if (!digits.empty()) {
    // Far past the range of a double either way; keeps the text short.
    const std::int64_t limit = 100000;
    char text[max_significant_digits + 32];
    const int length = std::snprintf(text, sizeof text, "%se%lld", digits.c_str(),
                                     static_cast<long long>(std::clamp(exponent, -limit, limit)));
    const auto parsed = std::from_chars(text, text + length, magnitude);
    if (parsed.ec == std::errc::result_out_of_range) {
      const auto scale = exponent + static_cast<std::int64_t>(digits.size());
      magnitude = scale > 0 ? HUGE_VAL : 0.0;
    } else if (parsed.ec != std::errc{}) {
      return std::nullopt;
    }
  }
  return negative ? -magnitude : magnitude;
}

std::optional<std::int32_t> read_integer(text_cursor& in) {
  const bool negative = take_sign(in);
  if (!is_digit(in.peek())) return std::nullopt;
  std::int64_t value = 0;
  for (; is_digit(in.peek()); in.advance()) {
    value = std::min<std::int64_t>(value * 10 + (in.peek() - '0'), std::int64_t{1} << 32);
  }
  if (negative) value = -value;
  if (value < INT32_MIN || value > INT32_MAX) return std::nullopt;
  return static_cast<std::int32_t>(value);
}

}  // namespace

settings_parse parse_settings(text_cursor& in) {
  settings_parse result;

  skip_white_space(in);
  std::size_t length = 0;
  for (int byte = in.peek(); byte >= 0 && !is_white_space(byte); byte = in.peek()) {
    // Never cut a long name: a shorter one could open a different file.
    if (++length > max_deck_path_bytes) {
      result.deck_path_too_long = true;
      result.values.deck_path.clear();
      return result;
    }
    result.values.deck_path.push_back(static_cast<char>(byte));
    in.advance();
  }
  // An empty name still counts as read; it simply opens nothing.
  result.fields_read = 1;

  skip_white_space(in);
  if (in.peek() < 0) return result;
  const auto probability = read_decimal(in);
  if (!probability) return result;
  result.values.draw_probability = *probability;
  result.fields_read = 2;

  skip_white_space(in);
  if (in.peek() < 0) return result;
  const auto cards = read_integer(in);
  if (!cards) return result;
  result.values.cards_per_set = *cards;
  result.fields_read = 3;

  skip_white_space(in);
  if (in.peek() < 0) return result;
  const auto sets = read_integer(in);
  if (!sets) return result;
  result.values.set_count = *sets;
  result.fields_read = 4;
  return result;
}

std::optional<settings_read> read_settings(platform& system) {
  const auto file = system.open_for_reading(settings_file_name);
  if (!file) return std::nullopt;
  // The file is small; a modest block keeps the read short.
  text_reader reader(system, *file, 4096);
  text_cursor cursor(reader);
  settings_read result{*file, parse_settings(cursor)};
  result.parse.read_failed = reader.failed();
  return result;
}

}  // namespace cardset
