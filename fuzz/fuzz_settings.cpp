// Feeds any bytes as config.txt to read_settings, whole and through tiny
// reads, and compares what it read with a second reading written here as
// simply as possible: the content made text first, then read by index, the
// draw probability cut to 36 significant digits by hand and read by strtod
// in the "C" locale.

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <locale.h>
#include <optional>
#include <string>

#include "platform/memory_platform.h"
#include "run/read_settings.h"

namespace {

using cardset::settings_parse;

[[noreturn]] void difference(const char* what, const std::string& content) {
  std::fprintf(stderr, "difference in %s for a config.txt of %zu bytes\n", what, content.size());
  std::abort();
}

bool white(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
bool digit(char c) { return c >= '0' && c <= '9'; }

// Text mode: cut at the first 0x1A, then each CR LF becomes LF.
std::string as_text(const std::string& bytes) {
  const std::string cut = bytes.substr(0, bytes.find('\x1A'));
  std::string text;
  for (std::size_t i = 0; i < cut.size(); ++i) {
    if (cut[i] == '\r' && i + 1 < cut.size() && cut[i + 1] == '\n') continue;
    text += cut[i];
  }
  return text;
}

struct simple_reading {
  std::string deck_path;
  bool too_long = false;
  double probability = 0;
  std::int32_t counts[2] = {0, 0};
  int fields = 0;
};

std::optional<double> read_probability(const std::string& t, std::size_t& at) {
  std::string sign;
  if (at < t.size() && (t[at] == '+' || t[at] == '-')) sign = t[at++];
  std::string whole, fraction;
  while (at < t.size() && digit(t[at])) whole += t[at++];
  if (at < t.size() && t[at] == '.') {
    ++at;
    while (at < t.size() && digit(t[at])) fraction += t[at++];
  }
  if (whole.empty() && fraction.empty()) return std::nullopt;
  std::string exponent;
  if (at < t.size() && (t[at] == 'e' || t[at] == 'E')) {
    ++at;
    exponent = "e";
    if (at < t.size() && (t[at] == '+' || t[at] == '-')) exponent += t[at++];
    if (at == t.size() || !digit(t[at])) return std::nullopt;
    while (at < t.size() && digit(t[at])) exponent += t[at++];
  }

  // The cut: 36 significant digits; more before the point count as zeros,
  // more after it are dropped.
  int significant = 0;
  std::string kept_whole, kept_fraction;
  for (const char d : whole) {
    if (significant == 0 && d == '0') continue;
    if (significant < 36) {
      kept_whole += d;
      ++significant;
    } else {
      kept_whole += '0';
    }
  }
  for (const char d : fraction) {
    if (significant == 0 && d == '0') {
      kept_fraction += d;
    } else if (significant < 36) {
      kept_fraction += d;
      ++significant;
    }
  }
  const std::string number =
      sign + (kept_whole.empty() ? "0" : kept_whole) + "." + kept_fraction + exponent;
  static const locale_t c_locale = newlocale(LC_ALL_MASK, "C", nullptr);
  return strtod_l(number.c_str(), nullptr, c_locale);
}

std::optional<std::int32_t> read_count(const std::string& t, std::size_t& at) {
  bool negative = false;
  if (at < t.size() && (t[at] == '+' || t[at] == '-')) negative = t[at++] == '-';
  std::string digits;
  while (at < t.size() && digit(t[at])) digits += t[at++];
  if (digits.empty()) return std::nullopt;
  digits.erase(0, digits.find_first_not_of('0'));
  if (digits.size() > 10) return std::nullopt;
  const long long value = (negative ? -1 : 1) * (digits.empty() ? 0LL : std::stoll(digits));
  if (value < INT32_MIN || value > INT32_MAX) return std::nullopt;
  return static_cast<std::int32_t>(value);
}

simple_reading read_simply(const std::string& bytes) {
  const std::string t = as_text(bytes);
  simple_reading r;
  std::size_t at = 0;
  while (at < t.size() && white(t[at])) ++at;
  while (at < t.size() && !white(t[at])) r.deck_path += t[at++];
  if (r.deck_path.size() > 255) {
    r.too_long = true;
    r.deck_path.clear();
    return r;
  }
  r.fields = 1;
  while (at < t.size() && white(t[at])) ++at;
  if (at == t.size()) return r;
  const auto probability = read_probability(t, at);
  if (!probability) return r;
  r.probability = *probability;
  r.fields = 2;
  for (int i = 0; i < 2; ++i) {
    while (at < t.size() && white(t[at])) ++at;
    if (at == t.size()) return r;
    const auto count = read_count(t, at);
    if (!count) return r;
    r.counts[i] = *count;
    r.fields = 3 + i;
  }
  return r;
}

// Equal to the bit, or one of the two allowed differences: a nonzero value
// too small for a normal double may read as zero of its sign, and a value
// too large is infinity (which strtod gives too).
bool same_probability(double got, double simple) {
  if (std::memcmp(&got, &simple, sizeof got) == 0) return true;
  return got == 0 && std::fabs(simple) < DBL_MIN && std::signbit(got) == std::signbit(simple);
}

void compare(const settings_parse& got, const simple_reading& simple, const std::string& content) {
  if (got.read_failed) difference("read_failed", content);
  if (got.deck_path_too_long != simple.too_long) difference("deck_path_too_long", content);
  if (got.fields_read != simple.fields) difference("fields_read", content);
  if (got.values.deck_path != simple.deck_path) difference("deck_path", content);
  if (simple.fields >= 2 && !same_probability(got.values.draw_probability, simple.probability)) {
    std::fprintf(stderr, "draw_probability %.17g, simply read %.17g\n", got.values.draw_probability,
                 simple.probability);
    difference("draw_probability", content);
  }
  if (simple.fields >= 3 && got.values.cards_per_set != simple.counts[0]) {
    difference("cards_per_set", content);
  }
  if (simple.fields >= 4 && got.values.set_count != simple.counts[1]) {
    difference("set_count", content);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string content(reinterpret_cast<const char*>(data), size);
  const simple_reading simple = read_simply(content);
  for (const std::size_t read_limit : {std::size_t{0}, std::size_t{1}, 1 + size % 7}) {
    cardset::memory_platform files;
    files.set_file("config.txt", content);
    files.set_read_limit(read_limit);
    const auto got = cardset::read_settings(files);
    if (!got) difference("opening", content);
    compare(got->parse, simple, content);
    if (!files.close(got->file) || files.open_file_count() != 0) difference("closing", content);
  }
  return 0;
}
