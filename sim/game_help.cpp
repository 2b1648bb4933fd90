// The simulated game's help text: VAR_STRING, the help post and the natives
// of the game's help guard, answered from the world's screen. What would
// crash the real game (a wrong flag word, a text that is no live string, a
// block slot the game reads as a pointer holding junk, a VAR_STRING result
// kept past its pass) stops the run with a message.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "sim/call_args.h"
#include "sim/game.h"

namespace ruckvale::sim {

namespace {

// VAR_STRING's flag word for a label and one string, and the label of a text
// shown as typed.
constexpr std::uint64_t kLabelAndString = 10;
constexpr char kLiteralString[] = "LITERAL_STRING";
// The slots the game's scripts reserve in the post's two blocks: the game
// reads them all, the pointers among them included.
constexpr int kBlockASlots = 13;
constexpr int kBlockBSlots = 2;
constexpr std::size_t kLongestText = 255;

[[noreturn]] void Crash(const char* native, const std::string& why) {
  std::fprintf(stderr, "the simulated game crashes in %s: %s\n", native, why.c_str());
  std::fflush(stderr);
  std::abort();
}

// The string at `address`, if it looks like one the module keeps: not null,
// not a small number, ended within the longest text the game takes.
const char* LiveString(const char* native, std::uint64_t address) {
  if (address < 0x10000) Crash(native, "a text argument " + HexText(address) + " is no address");
  const char* s = AtAddress(address);
  if (std::memchr(s, '\0', kLongestText + 1) == nullptr) {
    Crash(native, "the text at " + HexText(address) + " has no end within 255 bytes");
  }
  return s;
}

std::string Quoted(const char* s) {
  return std::string("\"") + s + "\"";
}

}  // namespace

void Game::AnswerVarString(Call& call) {
  const char* name = "VAR_STRING";
  if (call.args.size() != 3) {
    Crash(name, std::to_string(call.args.size()) + " arguments for a label and one string");
  }
  if (call.args[0] != kLabelAndString) {
    Crash(name, "flag word " + HexText(call.args[0]) + " for a label and one string (0xA)");
  }
  const char* label = LiveString(name, call.args[1]);
  if (std::strcmp(label, kLiteralString) != 0) Crash(name, "label " + Quoted(label));
  const char* text = LiveString(name, call.args[2]);
  call.text[1] = Quoted(label);
  call.text[2] = Quoted(text);
  std::snprintf(var_string_, sizeof var_string_, "%s", text);
  var_string_frame_ = frame;
  call.result_text = "text " + Quoted(var_string_);
  result_[0] = reinterpret_cast<std::uintptr_t>(var_string_);
}

void Game::SpoilVarString() {
  if (var_string_frame_ == kNoFrame) return;
  std::snprintf(var_string_, sizeof var_string_, "%s", "(overwritten by the game)");
  var_string_frame_ = kNoFrame;
}

// Block A: the duration in slot 0, every other slot the game reads zero.
// Block B: slot 0 zero, slot 1 this pass's VAR_STRING result.
void Game::AnswerHelpPost(Call& call) {
  const char* name = "UI_FEED_POST_HELP_TEXT";
  if (call.args.size() != 3 || call.args[0] < 0x10000 || call.args[1] < 0x10000) {
    Crash(name, "no two blocks");
  }
  const auto* a = AtAddress<const std::uint64_t>(call.args[0]);
  const auto* b = AtAddress<const std::uint64_t>(call.args[1]);
  if (a[0] == 0 || a[0] > 60000) Crash(name, "a duration of " + HexText(a[0]) + " ms");
  for (int i = 1; i < kBlockASlots; ++i) {
    if (a[i] != 0) Crash(name, "slot " + std::to_string(i) + " of the first block is not 0");
  }
  const auto text = reinterpret_cast<std::uintptr_t>(var_string_);
  if (b[1] != text || var_string_frame_ != frame) {
    Crash(name, "slot 1 of the second block holds no VAR_STRING result of this pass");
  }
  for (int i = 0; i < kBlockBSlots; ++i) {
    if (i != 1 && b[i] != 0)
      Crash(name, "slot " + std::to_string(i) + " of the second block is not 0");
  }
  const std::uint32_t duration = static_cast<std::uint32_t>(a[0]);
  call.text[0] = "blockA{" + std::to_string(duration) + " ms}";
  call.text[1] = "blockB{" + Quoted(var_string_) + "}";
  const Screen& s = world.screen;
  if (s.pause_menu || s.hud_hidden) {
    call.result_text = "0 (refused)";
    return;
  }
  const auto id = static_cast<std::int32_t>(world.screen.notices.size() + 1);
  world.screen.notices.push_back(ShownNotice{world.tick, var_string_, id, duration});
  result_[0] = static_cast<std::uint32_t>(id);
}

bool Game::AnswerHelp(NativeHash hash, Call& call) {
  const Screen& s = world.screen;
  switch (hash) {
    case NativeHash::VAR_STRING:
      AnswerVarString(call);
      return true;
    case NativeHash::UI_FEED_POST_HELP_TEXT:
      AnswerHelpPost(call);
      return true;
    case NativeHash::UI_FEED_GET_CURRENT_MESSAGE:
      result_[0] =
          Arg32(call.args, 0) == 1 ? static_cast<std::uint32_t>(s.CurrentMessage(world.tick)) : 0u;
      return true;
    case NativeHash::UI_FEED_GET_MESSAGE_STATE:
      result_[0] = static_cast<std::uint32_t>(
          s.MessageState(static_cast<std::int32_t>(Arg32(call.args, 0)), world.tick));
      return true;
    case NativeHash::GET_HUD_VISIBILITY_SLOT_STATE:
      result_[0] = Arg32(call.args, 0) == 5 ? static_cast<std::uint32_t>(s.help_slot_state) : 0u;
      return true;
    case NativeHash::IS_SCREEN_FADED_IN:
      result_[0] = s.faded_in;
      return true;
    case NativeHash::IS_PAUSE_MENU_ACTIVE:
      result_[0] = s.pause_menu;
      return true;
    case NativeHash::IS_HUD_HIDDEN:
      result_[0] = s.hud_hidden;
      return true;
    default:
      return false;
  }
}

}  // namespace ruckvale::sim
