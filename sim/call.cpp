#include "sim/call.h"

#include "sim/call_args.h"

#include <cstdio>

namespace ruckvale::sim {

std::string HexText(std::uint64_t v) {
  char buf[24];
  std::snprintf(buf, sizeof buf, "0x%llX", static_cast<unsigned long long>(v));
  return buf;
}

std::string Call::Format() const {
  std::string out = name;
  out += '(';
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (i != 0) out += ", ";
    if (i < text.size() && !text[i].empty()) {
      out += text[i];
    } else {
      out += HexText(args[i]);
    }
  }
  out += ')';
  if (kind != CallKind::Hook) {
    out += " -> ";
    if (!result_text.empty()) {
      out += result_text;
    } else {
      out += HexText(result);
    }
  }
  return out;
}

}  // namespace ruckvale::sim
