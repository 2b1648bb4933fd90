// The whole-pass fuzz body: the module runs pass after pass while every
// answer of the game (native results, what lands in its buffers, the key,
// the tick) comes from the fuzz input.
#pragma once

#include <cstddef>
#include <cstdint>

namespace ruckvale::fuzz {

// Aborts when the module breaks what must hold whatever the game answers:
// every pass ends in scriptWait(0), and the roster stays within 32 and
// within fight_group_size.
void RunPassesOnce(const std::uint8_t* data, std::size_t size);

}  // namespace ruckvale::fuzz
