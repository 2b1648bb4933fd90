#include "tools/key_names.h"

#include <cstdio>

namespace ruckvale::tools {

std::string KeyCodeName(std::int32_t code) {
  if (code >= 'A' && code <= 'Z') return std::string(1, static_cast<char>(code));
  if (code >= '0' && code <= '9') return std::string(1, static_cast<char>(code));
  char buf[64];
  if (code >= 112 && code <= 135) {
    std::snprintf(buf, sizeof buf, "F%d", code - 111);
    return buf;
  }
  if (code >= 96 && code <= 105) {
    std::snprintf(buf, sizeof buf, "numpad %d", code - 96);
    return buf;
  }
  switch (code) {
    case 106:
      return "numpad *";
    case 107:
      return "numpad +";
    case 108:
      return "numpad separator";
    case 109:
      return "numpad -";
    case 110:
      return "numpad .";
    case 111:
      return "numpad /";
    case 144:
      return "Num Lock";
    case 145:
      return "Scroll Lock";
    case 160:
      return "left Shift";
    case 161:
      return "right Shift";
    case 162:
      return "left Ctrl";
    case 163:
      return "right Ctrl";
    case 164:
      return "left Alt";
    case 165:
      return "right Alt";
    case 173:
      return "volume mute";
    case 174:
      return "volume down";
    case 175:
      return "volume up";
    case 176:
      return "next track";
    case 177:
      return "previous track";
    case 178:
      return "media stop";
    case 179:
      return "play/pause";
    case 186:
      return "';' (US layout)";
    case 187:
      return "'=' (US layout)";
    case 188:
      return "','";
    case 189:
      return "'-'";
    case 190:
      return "'.'";
    case 191:
      return "'/' (US layout)";
    case 192:
      return "'`' (US layout)";
    default:
      break;
  }
  if (code >= 166 && code <= 172) {
    std::snprintf(buf, sizeof buf, "browser key %d", code);
  } else if (code >= 180 && code <= 183) {
    std::snprintf(buf, sizeof buf, "launch key %d", code);
  } else {
    std::snprintf(buf, sizeof buf, "unassigned virtual key %d (no key on a keyboard)", code);
  }
  return buf;
}

}  // namespace ruckvale::tools
