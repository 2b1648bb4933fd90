// Reads the module's settings file.
#pragma once

#include <cstdio>

#include "settings/fight_settings.h"
#include "settings/ini_line.h"

namespace ruckvale {

// Told of each line as it is read: its number (from 1) and what it means.
struct IniLineSink {
  void (*on_line)(void* context, int number, const IniLine& line) = nullptr;
  void* context = nullptr;
};

// Applies every line of `file` to `settings`, in order, and tells `sink` of
// each. A read error or a line too long for memory ends reading: what the
// earlier lines set stays. Nothing is thrown.
void ReadSettings(std::FILE* file, FightSettings& settings, IniLineSink sink = {}) noexcept;

// Reads "Ruckvale.ini" from the working directory into `settings`. Returns
// false when there is no such file (or it cannot be opened): `settings` is
// then untouched. Nothing is reported and nothing is thrown.
bool LoadSettings(FightSettings& settings, IniLineSink sink = {}) noexcept;

}  // namespace ruckvale
