#include "settings/number_reader.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace ruckvale {

namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

bool IsHexDigit(char c) {
  return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// Skips white space and one sign; returns the index of the first byte after them.
std::size_t SkipBlanksAndSign(std::string_view text, bool& negative) {
  std::size_t i = 0;
  while (i < text.size() && IsBlank(text[i])) ++i;
  negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  return i;
}

}  // namespace

NumberRead ReadInt32(std::string_view text, std::int32_t& out) {
  bool negative = false;
  const std::size_t start = SkipBlanksAndSign(text, negative);
  if (start >= text.size() || !IsDigit(text[start])) return {};
  // from_chars takes the "-" itself, so INT32_MIN reads without overflow.
  const char* first = text.data() + start - (negative ? 1 : 0);
  std::int32_t value = 0;
  const auto [end, ec] = std::from_chars(first, text.data() + text.size(), value, 10);
  if (ec != std::errc{}) return {false, 0, ec == std::errc::result_out_of_range};
  out = value;
  return {true, static_cast<std::size_t>(end - text.data())};
}

NumberRead ReadFloat(std::string_view text, float& out) {
  bool negative = false;
  const std::size_t start = SkipBlanksAndSign(text, negative);
  const char* first = text.data() + start;
  const char* last = text.data() + text.size();
  // from_chars would take a second "-"; the syntax allows one sign only.
  if (first == last || *first == '-' || *first == '+') return {};

  float value = 0.0f;
  std::from_chars_result result{first, std::errc::invalid_argument};
  const bool hex_prefix =
      last - first >= 2 && first[0] == '0' && (first[1] == 'x' || first[1] == 'X');
  const bool hex_body =
      hex_prefix && last - first >= 3 &&
      (IsHexDigit(first[2]) || (first[2] == '.' && last - first >= 4 && IsHexDigit(first[3])));
  if (hex_body) {
    result = std::from_chars(first + 2, last, value, std::chars_format::hex);
  } else {
    // Also takes "0x" without hex digits as the number 0 followed by "x...".
    result = std::from_chars(first, last, value, std::chars_format::general);
  }
  if (result.ec != std::errc{}) return {false, 0, result.ec == std::errc::result_out_of_range};
  if (std::isfinite(value) && value != 0.0f &&
      std::fabs(value) < std::numeric_limits<float>::min()) {
    return {false, 0, true};  // subnormal: underflows the float range
  }
  out = negative ? -value : value;
  return {true, static_cast<std::size_t>(result.ptr - text.data())};
}

}  // namespace ruckvale
