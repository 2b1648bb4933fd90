// Reads the module's settings: the lines of Ruckvale.ini, applied in order.
#pragma once

#include <cstdio>
#include <string_view>

#include "settings/fight_settings.h"
#include "settings/ini_line.h"
#include "settings/ini_line_reader.h"

namespace ruckvale {

// Told of each line as it is read: its number (from 1), its bytes and what
// they mean.
struct IniLineSink {
  void (*on_line)(void* context, int number, std::string_view text, const IniLine& line) = nullptr;
  void* context = nullptr;
};

// How reading ended.
enum class ReadEnd : std::uint8_t {
  End,          // the last line, or a byte 0x1A
  ReadError,    // the system could not read on
  OutOfMemory,  // a line too long for memory
};

// Applies every line of `reader` to `settings`, in order, and tells `sink` of
// each. A read error or a line too long for memory ends reading: what the
// earlier lines set stays. Nothing is thrown.
ReadEnd ReadSettings(IniLineReader& reader, FightSettings& settings,
                     IniLineSink sink = {}) noexcept;

// The same over bytes in memory.
ReadEnd ReadSettingsText(std::string_view text, FightSettings& settings,
                         IniLineSink sink = {}) noexcept;

// Reads "Ruckvale.ini" from the working directory into `settings`. Returns
// false when there is no such regular file (a folder, a pipe or a device
// reads as missing, so a start never waits on one): `settings` is then
// untouched. Nothing is reported and nothing is thrown.
bool LoadSettings(FightSettings& settings, IniLineSink sink = {}) noexcept;

}  // namespace ruckvale
