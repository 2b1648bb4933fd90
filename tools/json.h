// Pieces of JSON text for the simulator's --json output.
#pragma once

#include <string>

namespace ruckvale::tools {

// `s` as a JSON string, quotes included: quotes, backslashes and control
// bytes escaped, UTF-8 as it stands, and every byte that is not part of
// well-formed UTF-8 as U+FFFD, so that the text is always valid JSON.
std::string JsonString(const std::string& s);

// Seconds with three decimals, as the story's records write times.
std::string JsonSeconds(double seconds);

// A number as JSON writes it; null for infinity and NaN, which JSON lacks.
std::string JsonNumber(double v);

}  // namespace ruckvale::tools
