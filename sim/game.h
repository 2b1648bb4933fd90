// The simulated game behind the hook: takes the module's hook, Windows and
// native calls, answers them from the World, and records each one.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "host/hook.h"
#include "host/native_list.h"
#include "sim/call.h"
#include "sim/world.h"

namespace ruckvale::sim {

class Game {
 public:
  World world;

  // Recording: every call is kept in `calls` while `record` is set, and handed
  // to `observer` (when set) as it completes.
  bool record = true;
  std::vector<Call> calls;
  std::function<void(const Call&)> observer;
  // Runs before each native is answered: lets a scenario change the world
  // between any two natives of a pass.
  std::function<void(Game&, NativeHash)> before_native;
  // When set and returning true, answers the native instead of the world:
  // fills the result slots and writes through the call's addresses (a
  // nearby-peds buffer has room for 8 + 32 * 8 bytes, a group for 8).
  std::function<bool(NativeHash, const Call&, std::uint64_t* slots)> answer_override;

  std::uint64_t frame = 0;
  std::uint64_t native_count = 0;
  void (*registered_script)() = nullptr;
  HMODULE registered_module = nullptr;
  // Set by the script host: switches from the script back to the game.
  std::function<void()> yield_to_game;

  // The names behind every hash the module asked for.
  std::map<Hash, std::string> hash_names;
  std::string NameOf(Hash hash) const;

  // The hook's and Windows' side of the boundary.
  void ScriptRegister(HMODULE module, void (*script)());
  void ScriptUnregister(HMODULE module);
  void ScriptWait(DWORD ms);
  void NativeInit(std::uint64_t hash);
  void NativePush64(std::uint64_t value);
  std::uint64_t* NativeCall();
  std::uint32_t GetTickCount();
  std::int16_t GetAsyncKeyState(int key);
  // The window with the keyboard: the game's while world.game_in_foreground,
  // else another program's. Window handles and process ids are fixed values.
  std::uintptr_t GetForegroundWindow();
  std::uint32_t GetWindowThreadProcessId(std::uintptr_t window, std::uint32_t* process_id);
  std::uint32_t GetCurrentProcessId();

  // The game (re)starts the script, as at a reload: like the engine at the
  // end of any script, it lets go of the peds the last run of the script
  // kept as mission entities. Other scripts' peds stay theirs.
  void ReleaseScriptEntities();

  // Calls of `kind` named `name` among the recorded calls.
  std::vector<const Call*> Find(const std::string& name) const;
  // The whole recording as text, one call per line.
  std::string TraceText() const;

 private:
  void Record(Call& call);
  // Records a Windows call with its arguments and returns its result.
  std::uint64_t RecordWindows(const char* name, std::uint64_t result,
                              std::vector<std::uint64_t> args = {});
  // The answers, from the world (game_answers.cpp).
  void Answer(NativeHash hash, Call& call);
  void AnswerNearby(Call& call);
  bool AnswerQuery(NativeHash hash, Call& call);
  bool AnswerHold(NativeHash hash, const SimPed* ped);
  bool AnswerControls(NativeHash hash, const Call& call);
  void AnswerCoords(const Vector3& position, Call& call);
  void AnswerWeapon(const SimPed* ped, Call& call);
  bool AnswerGroups(NativeHash hash, Call& call);
  void AnswerPed(NativeHash hash, Call& call);
  void AnswerRelease(Call& call);
  // Help text (game_help.cpp).
  bool AnswerHelp(NativeHash hash, Call& call);
  void AnswerVarString(Call& call);
  void AnswerHelpPost(Call& call);
  // At the end of a pass the game reuses its VAR_STRING buffer.
  void SpoilVarString();

  std::uint64_t pending_hash_ = 0;
  std::vector<std::uint64_t> pending_args_;
  Call current_;
  std::uint64_t result_[4] = {};
  // VAR_STRING's buffer, and the frame it was written in.
  static constexpr std::uint64_t kNoFrame = ~0ull;
  char var_string_[256] = {};
  std::uint64_t var_string_frame_ = kNoFrame;
};

// While one lives, the game (not the module) is running on this thread: a
// test allocator counts or fails only the module's own allocations.
// Everything the game does for a pass happens inside one; the frame loop
// around the script holds one too.
struct GameScope {
  GameScope() { ++depth; }
  ~GameScope() { --depth; }
  GameScope(const GameScope&) = delete;
  GameScope& operator=(const GameScope&) = delete;
  static inline int depth = 0;
  // Set by the script host while the script's fiber runs.
  static inline bool in_script = false;
  // True while the module's own code runs.
  static bool ModuleRunning() { return in_script && depth == 0; }
};

// The game the hook functions of this process talk to.
Game* ActiveGame();
void SetActiveGame(Game* game);

// The name of a native hash, or "native 0x..." for one the table lacks.
std::string NativeName(std::uint64_t hash);

// The game's window and process, and another program's, as the simulated
// Windows reports them.
inline constexpr std::uintptr_t kGameWindow = 0x10010;
inline constexpr std::uintptr_t kOtherWindow = 0x20020;
inline constexpr std::uint32_t kGameProcessId = 4242;
inline constexpr std::uint32_t kOtherProcessId = 5150;

}  // namespace ruckvale::sim
