#include "sim/call.h"

#include <cstdio>

namespace ruckvale::sim {

namespace {
void AppendHex(std::string& out, std::uint64_t v) {
  char buf[24];
  std::snprintf(buf, sizeof buf, "0x%llX", static_cast<unsigned long long>(v));
  out += buf;
}
}  // namespace

std::string Call::Format() const {
  std::string out = name;
  out += '(';
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (i != 0) out += ", ";
    if (i < text.size() && !text[i].empty()) {
      out += text[i];
    } else {
      AppendHex(out, args[i]);
    }
  }
  out += ')';
  if (kind != CallKind::Hook) {
    out += " -> ";
    if (!result_text.empty()) {
      out += result_text;
    } else {
      AppendHex(out, result);
    }
  }
  return out;
}

}  // namespace ruckvale::sim
