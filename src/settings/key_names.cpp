#include "settings/key_names.h"

#include <string_view>

#include "settings/ini_line.h"

namespace ruckvale {

namespace {

struct NamedKey {
  std::int32_t code;
  std::string_view name;
};

// The keys with a name of their own; letters, digits, F-keys and the numpad
// digits are named by rule.
constexpr NamedKey kNamedKeys[] = {
    {106, "numpad *"},
    {107, "numpad +"},
    {108, "numpad separator"},
    {109, "numpad -"},
    {110, "numpad ."},
    {111, "numpad /"},
    {144, "Num Lock"},
    {145, "Scroll Lock"},
    {160, "left Shift"},
    {161, "right Shift"},
    {162, "left Ctrl"},
    {163, "right Ctrl"},
    {164, "left Alt"},
    {165, "right Alt"},
    {173, "volume mute"},
    {174, "volume down"},
    {175, "volume up"},
    {176, "next track"},
    {177, "previous track"},
    {178, "media stop"},
    {179, "play/pause"},
    {186, "';' (US layout)"},
    {187, "'=' (US layout)"},
    {188, "','"},
    {189, "'-'"},
    {190, "'.'"},
    {191, "'/' (US layout)"},
    {192, "'`' (US layout)"},
};

}  // namespace

std::string KeyCodeName(std::int32_t code) {
  if ((code >= 'A' && code <= 'Z') || (code >= '0' && code <= '9')) {
    return std::string(1, static_cast<char>(code));
  }
  for (const NamedKey& key : kNamedKeys) {
    if (key.code == code) return std::string(key.name);
  }
  if (code >= kVirtualKeyF1 && code <= kVirtualKeyF24) {
    return "F" + std::to_string(code - kVirtualKeyF1 + 1);
  }
  if (code >= 96 && code <= 105) return "numpad " + std::to_string(code - 96);
  if (code >= 166 && code <= 172) return "browser key " + std::to_string(code);
  if (code >= 180 && code <= 183) return "launch key " + std::to_string(code);
  return "unassigned virtual key " + std::to_string(code) + " (no key on a keyboard)";
}

bool KeyOnKeyboard(std::int32_t code) {
  return KeyCodeName(code).rfind("unassigned", 0) != 0;
}

}  // namespace ruckvale
