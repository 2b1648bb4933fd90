#include "settings/load_settings.h"

#include "settings/ini_line_reader.h"

namespace ruckvale {

void ReadSettings(std::FILE* file, FightSettings& settings, IniLineSink sink) noexcept {
  try {
    IniLineReader reader(file);
    std::string_view text;
    for (int number = 1; reader.Next(text); ++number) {
      const IniLine line = InterpretIniLine(text);
      ApplyIniLine(line, settings);
      if (sink.on_line != nullptr) sink.on_line(sink.context, number, line);
    }
  } catch (...) {
    // A line too long for memory ends reading like a read error: what the
    // earlier lines set stays.
  }
}

bool LoadSettings(FightSettings& settings, IniLineSink sink) noexcept {
  // Read only; the C runtime opens files shared, so the game never locks it.
  std::FILE* file = std::fopen("Ruckvale.ini", "rb");
  if (file == nullptr) return false;
  ReadSettings(file, settings, sink);
  std::fclose(file);
  return true;
}

}  // namespace ruckvale
