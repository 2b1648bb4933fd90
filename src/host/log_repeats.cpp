#include "host/log_repeats.h"

#include <cstring>

namespace ruckvale {

bool SameOutcome(const LoggedOutcome& a, const LoggedOutcome& b) noexcept {
  if (a.kind != b.kind || a.kind == LoggedOutcome::Kind::None) return false;
  if (a.kind == LoggedOutcome::Kind::Ignored) return std::strcmp(a.why, b.why) == 0;
  return a.listed == b.listed && a.tested == b.tested && a.candidates == b.candidates &&
         std::memcmp(a.left_out, b.left_out, sizeof a.left_out) == 0;
}

}  // namespace ruckvale
