#include "tools/json.h"

#include <cmath>
#include <cstdio>

namespace ruckvale::tools {

namespace {

// The length of the well-formed UTF-8 sequence at s[i], or 0 for a byte that
// starts none (a stray continuation byte, an overlong form, a surrogate, a
// code point beyond U+10FFFF, a sequence cut short).
std::size_t Utf8Length(const std::string& s, std::size_t i) {
  const auto c = static_cast<unsigned char>(s[i]);
  std::size_t n = 0;
  unsigned min_second = 0x80, max_second = 0xBF;
  if (c >= 0xC2 && c <= 0xDF) {
    n = 2;
  } else if (c >= 0xE0 && c <= 0xEF) {
    n = 3;
    if (c == 0xE0) min_second = 0xA0;  // no overlong forms
    if (c == 0xED) max_second = 0x9F;  // no surrogates
  } else if (c >= 0xF0 && c <= 0xF4) {
    n = 4;
    if (c == 0xF0) min_second = 0x90;
    if (c == 0xF4) max_second = 0x8F;  // nothing beyond U+10FFFF
  } else {
    return 0;
  }
  if (i + n > s.size()) return 0;
  for (std::size_t k = 1; k < n; ++k) {
    const auto b = static_cast<unsigned char>(s[i + k]);
    const unsigned lo = k == 1 ? min_second : 0x80, hi = k == 1 ? max_second : 0xBF;
    if (b < lo || b > hi) return 0;
  }
  return n;
}

}  // namespace

std::string JsonString(const std::string& s) {
  std::string out = "\"";
  for (std::size_t i = 0; i < s.size();) {
    const auto c = static_cast<unsigned char>(s[i]);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += s[i++];
    } else if (c < 0x20) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\u%04x", c);
      out += buf;
      ++i;
    } else if (c < 0x80) {
      out += s[i++];
    } else if (const std::size_t n = Utf8Length(s, i); n != 0) {
      out.append(s, i, n);
      i += n;
    } else {
      out += "\\ufffd";  // a byte that is not UTF-8 (a path in a legacy code page)
      ++i;
    }
  }
  return out + "\"";
}

std::string JsonSeconds(double seconds) {
  char buf[48];
  std::snprintf(buf, sizeof buf, "%.3f", seconds);
  return buf;
}

std::string JsonNumber(double v) {
  if (!std::isfinite(v)) return "null";
  char buf[48];
  std::snprintf(buf, sizeof buf, "%.9g", v);
  return buf;
}

}  // namespace ruckvale::tools
