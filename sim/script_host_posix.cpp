// The script host on POSIX systems: the module is linked in, its DllMain is
// called directly, and the script runs on a ucontext fiber.
#include <ucontext.h>

#include <cstdlib>
#include <vector>

#include "host/dll_main.h"
#include "host/module_state.h"
#include "host/script_main.h"
#include "sim/script_host.h"

#if defined(__SANITIZE_ADDRESS__)
#define RUCKVALE_ASAN_FIBERS 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define RUCKVALE_ASAN_FIBERS 1
#endif
#endif
#if defined(RUCKVALE_ASAN_FIBERS)
#include <sanitizer/common_interface_defs.h>
#endif

namespace ruckvale::sim {

namespace {
constexpr std::size_t kStackSize = 1 << 20;
// A stand-in for the DLL's module handle.
HINSTANCE const kModule = reinterpret_cast<HINSTANCE>(static_cast<std::uintptr_t>(0x180000000));
}  // namespace

struct ScriptHost::Impl {
  Game* game = nullptr;
  ucontext_t host{};
  ucontext_t script{};
  std::vector<char> stack;
  bool running = false;
  void* fake_stack = nullptr;

  void SwitchToScript() {
#if defined(RUCKVALE_ASAN_FIBERS)
    __sanitizer_start_switch_fiber(&fake_stack, stack.data(), stack.size());
#endif
    swapcontext(&host, &script);
#if defined(RUCKVALE_ASAN_FIBERS)
    __sanitizer_finish_switch_fiber(fake_stack, nullptr, nullptr);
#endif
  }

  void SwitchToHost() {
#if defined(RUCKVALE_ASAN_FIBERS)
    void* script_fake = nullptr;
    const void* bottom = nullptr;
    std::size_t size = 0;
    __sanitizer_start_switch_fiber(&script_fake, host_bottom, host_size);
    swapcontext(&script, &host);
    __sanitizer_finish_switch_fiber(script_fake, &bottom, &size);
    host_bottom = bottom;
    host_size = size;
#else
    swapcontext(&script, &host);
#endif
  }
  const void* host_bottom = nullptr;
  std::size_t host_size = 0;

  static void Entry() {
    Impl* self = current;
#if defined(RUCKVALE_ASAN_FIBERS)
    __sanitizer_finish_switch_fiber(nullptr, &self->host_bottom, &self->host_size);
#endif
    if (void (*script)() = self->game->registered_script) script();
    // The script returned, which the hook allows: nothing runs on this fiber again.
    self->running = false;
    self->SwitchToHost();
    std::abort();  // never resumed
  }
  static inline Impl* current = nullptr;
};

ScriptHost::ScriptHost(Game& game) : game_(game), impl_(std::make_unique<Impl>()) {
  impl_->game = &game;
  SetActiveGame(&game);
  game.yield_to_game = [impl = impl_.get()] { impl->SwitchToHost(); };
}

ScriptHost::~ScriptHost() {
  game_.yield_to_game = nullptr;
  if (ActiveGame() == &game_) SetActiveGame(nullptr);
}

void ScriptHost::Load() {
  // The module is linked in, so its state outlives a run: give it what a
  // freshly loaded DLL would have.
  Module() = ModuleState{};
  DllMain(kModule, 1, nullptr);
  // The game starts and ends threads all the time, and each start and end
  // reaches every DLL's DllMain (thread attach 2, thread detach 3).
  DllMain(kModule, 2, nullptr);
  DllMain(kModule, 3, nullptr);
}

void ScriptHost::Unload() {
  DllMain(kModule, 0, nullptr);
  impl_->running = false;
}

void ScriptHost::StartScript() {
  Impl& s = *impl_;
  if (game_.registered_script == nullptr) return;
  game_.ReleaseScriptEntities();
  s.stack.assign(kStackSize, 0);
  getcontext(&s.script);
  s.script.uc_stack.ss_sp = s.stack.data();
  s.script.uc_stack.ss_size = s.stack.size();
  s.script.uc_link = nullptr;
  makecontext(&s.script, &Impl::Entry, 0);
  s.running = true;
}

bool ScriptHost::RunFrame() {
  Impl& s = *impl_;
  if (!s.running || game_.registered_script == nullptr) return false;
  SetActiveGame(&game_);
  Impl::current = &s;
  ++game_.frame;
  GameScope::in_script = true;
  const int depth = GameScope::depth;
  GameScope::depth = 0;
  s.SwitchToScript();
  GameScope::depth = depth;
  GameScope::in_script = false;
  return s.running;
}

}  // namespace ruckvale::sim
