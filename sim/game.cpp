#include "sim/game.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "host/script_main.h"
#include "sim/call_args.h"

namespace ruckvale::sim {

namespace {

Game* g_active_game = nullptr;

}  // namespace

Game* ActiveGame() {
  return g_active_game;
}
void SetActiveGame(Game* game) {
  g_active_game = game;
}

std::string NativeName(std::uint64_t hash) {
  switch (static_cast<NativeHash>(hash)) {
#define RUCKVALE_NATIVE_NAME(name, value) \
  case NativeHash::name:                  \
    return #name;
    RUCKVALE_NATIVES(RUCKVALE_NATIVE_NAME)
#undef RUCKVALE_NATIVE_NAME
  }
  return "native " + HexText(hash);
}

std::string Game::NameOf(Hash hash) const {
  auto it = hash_names.find(hash);
  return it == hash_names.end() ? HexText(hash) : it->second;
}

void Game::Record(Call& call) {
  call.frame = frame;
  if (observer) observer(call);
  if (record) calls.push_back(call);
}

void Game::ScriptRegister(HMODULE module, void (*script)()) {
  registered_module = module;
  registered_script = script;
  Call c;
  c.kind = CallKind::Hook;
  c.name = "scriptRegister";
  c.args = {0, 0};  // the module handle and the script address differ per run
  c.text = {"module", "script"};
  Record(c);
}

void Game::ScriptUnregister(HMODULE module) {
  if (module == registered_module) registered_script = nullptr;
  Call c;
  c.kind = CallKind::Hook;
  c.name = "scriptUnregister";
  c.args = {0};
  c.text = {"module"};
  Record(c);
}

void Game::ScriptWait(DWORD ms) {
  {
    // Gone before the yield: a fiber dropped while suspended is never unwound.
    GameScope scope;
    Call c;
    c.kind = CallKind::Hook;
    c.name = "scriptWait";
    c.args = {ms};
    Record(c);
    SpoilVarString();
  }
  if (yield_to_game) yield_to_game();
}

void Game::NativeInit(std::uint64_t hash) {
  pending_hash_ = hash;
  pending_args_.clear();
}

void Game::NativePush64(std::uint64_t value) {
  pending_args_.push_back(value);
}

std::uint64_t* Game::NativeCall() {
  ++native_count;
  if (before_native) before_native(*this, static_cast<NativeHash>(pending_hash_));
  current_.kind = CallKind::Native;
  current_.name = NativeName(pending_hash_);
  current_.native = pending_hash_;
  current_.args = pending_args_;
  current_.text.assign(pending_args_.size(), std::string());
  current_.result_text.clear();
  current_.handles.clear();
  std::memset(current_.position, 0, sizeof current_.position);
  std::memset(result_, 0, sizeof result_);
  if (!answer_override ||
      !answer_override(static_cast<NativeHash>(pending_hash_), current_, result_)) {
    Answer(static_cast<NativeHash>(pending_hash_), current_);
  }
  current_.result = result_[0];
  Record(current_);
  // A pointer's high bits are its own.
  if (world.garbage_high_bits && static_cast<NativeHash>(pending_hash_) != NativeHash::VAR_STRING) {
    result_[0] |= 0xDEADBEEF00000000ull;
  }
  return world.null_result ? nullptr : result_;
}

std::uint64_t Game::RecordWindows(const char* name, std::uint64_t result,
                                  std::vector<std::uint64_t> args) {
  Call c;
  c.kind = CallKind::Windows;
  c.name = name;
  c.args = std::move(args);
  c.result = result;
  Record(c);
  return result;
}

std::uint32_t Game::GetTickCount() {
  return static_cast<std::uint32_t>(RecordWindows("GetTickCount", world.tick));
}

std::int16_t Game::GetAsyncKeyState(int key) {
  const bool down = key >= 0 && key < 256 && world.keys_down[key] != 0;
  // Bit 15: down now. Bit 0 (pressed since the last call) is set too, as
  // Windows may, so that a module reading the wrong bit goes wrong in tests.
  const std::int16_t state = down ? static_cast<std::int16_t>(0x8001) : std::int16_t{1};
  RecordWindows("GetAsyncKeyState", static_cast<std::uint16_t>(state),
                {static_cast<std::uint32_t>(key)});
  return state;
}

std::uintptr_t Game::GetForegroundWindow() {
  const std::uintptr_t window = world.no_foreground_window ? 0
                                : world.game_in_foreground ? kGameWindow
                                                           : kOtherWindow;
  RecordWindows("GetForegroundWindow", window);
  return window;
}

std::uint32_t Game::GetWindowThreadProcessId(std::uintptr_t window, std::uint32_t* process_id) {
  const std::uint32_t owner = window == kGameWindow    ? kGameProcessId
                              : window == kOtherWindow ? kOtherProcessId
                                                       : 0;
  if (process_id != nullptr) *process_id = owner;
  Call c;
  c.kind = CallKind::Windows;
  c.name = "GetWindowThreadProcessId";
  c.args = {window, process_id != nullptr ? 1u : 0u};
  c.text = {"", process_id != nullptr ? "&pid" : "null"};
  c.result = owner == 0 ? 0 : owner + 1;  // the owning thread
  c.result_text = "thread " + std::to_string(c.result) + ", pid " + std::to_string(owner);
  c.handles = {static_cast<std::int32_t>(owner)};
  Record(c);
  return static_cast<std::uint32_t>(c.result);
}

std::uint32_t Game::GetCurrentProcessId() {
  return static_cast<std::uint32_t>(RecordWindows("GetCurrentProcessId", kGameProcessId));
}

void Game::ReleaseScriptEntities() {
  for (SimPed& p : world.peds) {
    if (!p.story_owned) p.mission_entity = false;
  }
}

std::vector<const Call*> Game::Find(const std::string& name) const {
  std::vector<const Call*> found;
  for (const Call& c : calls) {
    if (c.name == name) found.push_back(&c);
  }
  return found;
}

std::string Game::TraceText() const {
  std::string out;
  for (const Call& c : calls) {
    out += c.Format();
    out += '\n';
  }
  return out;
}

}  // namespace ruckvale::sim
