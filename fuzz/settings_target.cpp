#include "fuzz/settings_target.h"

#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "settings/ini_line.h"
#include "settings/ini_line_reader.h"
#include "settings/load_settings.h"

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

struct Seen {
  std::size_t size;
  std::size_t bytes = 0;
  FightSettings* settings;
};

// Each line as the module's reader hands it over, after it applied it.
void OnLine(void* context, int, std::string_view text, const IniLine& line) {
  Seen& seen = *static_cast<Seen*>(context);
  seen.bytes += text.size() + 1;
  Check(seen.bytes <= seen.size + 1, "lines hold more bytes than the file");
  Check(Inside(line.key_text, text) && Inside(line.value_text, text) &&
            Inside(line.ignored_tail, text) && Inside(line.modifier_text, text) &&
            Inside(line.pad_unknown, text),
        "a view points outside its line");
  const FightSettings& s = *seen.settings;
  Check(s.key_trigger >= 0 && s.key_trigger <= 255, "key_trigger out of 0..255");
  Check(s.toggle_key >= -1 && s.toggle_key <= 255, "toggle_key out of -1..255");
  Check(s.pad_hold >= -1 && s.pad_hold < kPadControlCount && s.pad_press >= -1 &&
            s.pad_press < kPadControlCount,
        "a pad control out of the list");
  Check((s.pad_hold < 0) == (s.pad_press < 0), "half a pad combination stored");
  Check(s.pad_hold < 0 || s.pad_hold != s.pad_press, "a pad combination that can never fire");
}

}  // namespace

void ReadSettingsOnce(const std::uint8_t* data, std::size_t size) {
  FightSettings settings;
  Seen seen{size, 0, &settings};
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  ReadSettingsText(text, settings, IniLineSink{&OnLine, &seen});
}

}  // namespace ruckvale::fuzz
