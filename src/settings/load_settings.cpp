#include "settings/load_settings.h"

#if !defined(_WIN32)
#include <sys/stat.h>
#endif

namespace ruckvale {

namespace {

// Only a regular file is read: opening a pipe waits for a writer, and a
// device never ends. Asked before opening, and of what was opened. On Windows
// the name can only be a file or a folder, and opening a folder fails.
bool RegularPath(const char* path) {
#if defined(_WIN32)
  (void)path;
  return true;
#else
  struct stat info {};
  return stat(path, &info) == 0 && S_ISREG(info.st_mode);
#endif
}
bool RegularFile(std::FILE* file) {
#if defined(_WIN32)
  (void)file;
  return true;
#else
  struct stat info {};
  return fstat(fileno(file), &info) == 0 && S_ISREG(info.st_mode);
#endif
}

}  // namespace

ReadEnd ReadSettings(IniLineReader& reader, FightSettings& settings, IniLineSink sink) noexcept {
  try {
    std::string_view text;
    for (int number = 1; reader.Next(text); ++number) {
      const IniLine line = InterpretIniLine(text);
      ApplyIniLine(line, settings);
      if (sink.on_line != nullptr) sink.on_line(sink.context, number, text, line);
    }
  } catch (...) {
    // A line too long for memory ends reading like a read error: what the
    // earlier lines set stays.
    return ReadEnd::OutOfMemory;
  }
  return reader.failed() ? ReadEnd::ReadError : ReadEnd::End;
}

ReadEnd ReadSettingsText(std::string_view text, FightSettings& settings,
                         IniLineSink sink) noexcept {
  IniLineReader reader(text);
  return ReadSettings(reader, settings, sink);
}

bool LoadSettings(FightSettings& settings, IniLineSink sink) noexcept {
  if (!RegularPath("Ruckvale.ini")) return false;
  // Read only; the C runtime opens files shared, so the game never locks it.
  std::FILE* file = std::fopen("Ruckvale.ini", "rb");
  if (file == nullptr) return false;
  const bool regular = RegularFile(file);
  if (regular) {
    IniLineReader reader(file);
    ReadSettings(reader, settings, sink);
  }
  std::fclose(file);
  return regular;
}

}  // namespace ruckvale
