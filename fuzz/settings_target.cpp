#include "fuzz/settings_target.h"

#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "settings/ini_line.h"
#include "settings/ini_line_reader.h"

namespace ruckvale::fuzz {

namespace {

void Check(bool ok, const char* what) {
  if (!ok) {
    std::fprintf(stderr, "settings fuzz: %s\n", what);
    std::abort();
  }
}

bool Inside(std::string_view part, std::string_view whole) {
  return part.empty() ||
         (part.data() >= whole.data() && part.data() + part.size() <= whole.data() + whole.size());
}

}  // namespace

void ReadSettingsOnce(const std::uint8_t* data, std::size_t size) {
  std::FILE* file = std::tmpfile();
  if (file == nullptr) return;
  if (size != 0) std::fwrite(data, 1, size, file);
  std::rewind(file);
  FightSettings settings;
  IniLineReader reader(file);
  std::string_view text;
  std::size_t bytes = 0;
  while (reader.Next(text)) {
    bytes += text.size() + 1;
    Check(bytes <= size + 1, "lines hold more bytes than the file");
    const IniLine line = InterpretIniLine(text);
    Check(Inside(line.key_text, text) && Inside(line.value_text, text) &&
              Inside(line.ignored_tail, text),
          "a view points outside its line");
    ApplyIniLine(line, settings);
    Check(settings.key_trigger >= 0 && settings.key_trigger <= 255, "key_trigger out of 0..255");
  }
  std::fclose(file);
}

}  // namespace ruckvale::fuzz
