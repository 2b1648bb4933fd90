#include <cstdio>

#include "settings/fight_settings.h"
#include "settings/ini_file.h"
#include "settings/ini_line.h"

namespace ruckvale {

FightSettings& Settings() {
  static FightSettings settings;
  return settings;
}

void LoadSettings() noexcept {
  // Read only; the C runtime opens files shared, so the game never locks it.
  std::FILE* file = std::fopen("Ruckvale.ini", "rb");
  if (file == nullptr) return;
  try {
    FightSettings& s = Settings();
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
