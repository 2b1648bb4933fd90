// Reads the numbers of Ruckvale.ini without the C locale: a game may have set
// one with a decimal comma, and "12.5" must still read 12.5 everywhere.
#pragma once

#include <cstdint>
#include <string_view>

namespace ruckvale {

// What became of reading a number at the start of a value.
struct NumberRead {
  bool ok = false;            // false: no number of the syntax, or it does not fit
  std::size_t consumed = 0;   // bytes of the value used by the number (when ok)
  bool out_of_range = false;  // not ok: a number of the syntax that does not fit
};

// Optional white space (space, \t, \n, \v, \f, \r), an optional "+" or "-",
// then decimal digits. Fails when no digit follows, or when the number does not
// fit a signed 32-bit value. "0x1E" reads as 0, with "x1E" left over.
NumberRead ReadInt32(std::string_view text, std::int32_t& out);

// Optional white space and sign, then a decimal number with optional exponent,
// a hexadecimal "0x" number with optional "p" exponent, INF, INFINITY, NAN or
// NAN(chars), in either case. Rounds to the nearest float. Fails when no number
// of that syntax follows, or when a finite number overflows the float range or
// underflows it (rounds to zero or to a subnormal value from a non-zero number).
NumberRead ReadFloat(std::string_view text, float& out);

}  // namespace ruckvale
