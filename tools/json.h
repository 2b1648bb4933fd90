// Pieces of JSON text for the simulator's --json output.
#pragma once

#include <string>

namespace ruckvale::tools {

// `s` as a JSON string, quotes included: quotes, backslashes and control
// bytes escaped, other bytes as they stand.
std::string JsonString(const std::string& s);

}  // namespace ruckvale::tools
