#include "settings/load_settings.h"

#include <cstdio>

#include "host/module_state.h"
#include "settings/ini_line.h"
#include "settings/ini_line_reader.h"

namespace ruckvale {

void LoadSettings() noexcept {
  // Read only; the C runtime opens files shared, so the game never locks it.
  std::FILE* file = std::fopen("Ruckvale.ini", "rb");
  if (file == nullptr) return;
  try {
    FightSettings& s = Module().settings;
    IniLineReader reader(file);
    std::string_view line;
    while (reader.Next(line)) ApplyIniLine(InterpretIniLine(line), s);
  } catch (...) {
    // A line too long for memory ends reading like a read error: what the
    // earlier lines set stays.
  }
  std::fclose(file);
}

}  // namespace ruckvale
