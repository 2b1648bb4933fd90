// The script host on Windows: loads the real Ruckvale.asi the way a loader
// does (LoadLibrary runs its DllMain, which registers the script with the
// stand-in hook), runs the script on a Windows fiber, and answers the
// module's Windows calls (tick, key, foreground) by patching its import table.
//
// The stand-in ships as ruckvale-standin-hook.dll, so that no package holds a
// file named like the real hook. For a run the host copies it into a folder
// of its own under the temporary folder as ScriptHookRDR2.dll and loads that
// copy first: the loader then resolves the asi's import of ScriptHookRDR2.dll
// to the module already loaded under that name. The folder goes when the run
// ends.
#include <windows.h>

#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <string>

#include "files/run_files.h"
#include "sim/script_host.h"
#include "sim/windows/hook_table.h"

namespace ruckvale::sim {

namespace {

void HookRegister(HMODULE module, void (*script)()) {
  ActiveGame()->ScriptRegister(module, script);
}
void HookUnregister(HMODULE module) {
  ActiveGame()->ScriptUnregister(module);
}
void HookWait(DWORD ms) {
  ActiveGame()->ScriptWait(ms);
}
void HookNativeInit(std::uint64_t hash) {
  ActiveGame()->NativeInit(hash);
}
void HookNativePush64(std::uint64_t value) {
  ActiveGame()->NativePush64(value);
}
std::uint64_t* HookNativeCall() {
  return ActiveGame()->NativeCall();
}

const HookTable kTable = {&HookRegister,   &HookUnregister,   &HookWait,
                          &HookNativeInit, &HookNativePush64, &HookNativeCall};

DWORD WINAPI SimGetTickCount() {
  return ActiveGame()->GetTickCount();
}
SHORT WINAPI SimGetAsyncKeyState(int key) {
  return ActiveGame()->GetAsyncKeyState(key);
}
HWND WINAPI SimGetForegroundWindow() {
  return reinterpret_cast<HWND>(ActiveGame()->GetForegroundWindow());
}
DWORD WINAPI SimGetWindowThreadProcessId(HWND window, LPDWORD process_id) {
  std::uint32_t owner = 0;
  const DWORD thread =
      ActiveGame()->GetWindowThreadProcessId(reinterpret_cast<std::uintptr_t>(window), &owner);
  if (process_id != nullptr) *process_id = owner;
  return thread;
}
DWORD WINAPI SimGetCurrentProcessId() {
  return ActiveGame()->GetCurrentProcessId();
}

struct ImportPatch {
  const char* dll;
  const char* function;
  const void* replacement;
};
// The Windows functions the module imports, answered by the simulated game.
const ImportPatch kImportPatches[] = {
    {"KERNEL32.dll", "GetTickCount", reinterpret_cast<const void*>(&SimGetTickCount)},
    {"KERNEL32.dll", "GetCurrentProcessId", reinterpret_cast<const void*>(&SimGetCurrentProcessId)},
    {"USER32.dll", "GetAsyncKeyState", reinterpret_cast<const void*>(&SimGetAsyncKeyState)},
    {"USER32.dll", "GetForegroundWindow", reinterpret_cast<const void*>(&SimGetForegroundWindow)},
    {"USER32.dll", "GetWindowThreadProcessId",
     reinterpret_cast<const void*>(&SimGetWindowThreadProcessId)},
};

// Points the module's import slot of dll!function at `replacement`.
bool PatchImport(HMODULE module, const char* dll, const char* function, const void* replacement) {
  auto* base = reinterpret_cast<BYTE*>(module);
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS64*>(base + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  for (auto* imp = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress);
       imp->Name != 0; ++imp) {
    if (_stricmp(reinterpret_cast<const char*>(base + imp->Name), dll) != 0) continue;
    const DWORD lookup = imp->OriginalFirstThunk != 0 ? imp->OriginalFirstThunk : imp->FirstThunk;
    auto* names = reinterpret_cast<IMAGE_THUNK_DATA64*>(base + lookup);
    auto* slots = reinterpret_cast<IMAGE_THUNK_DATA64*>(base + imp->FirstThunk);
    for (; names->u1.AddressOfData != 0; ++names, ++slots) {
      if ((names->u1.Ordinal & IMAGE_ORDINAL_FLAG64) != 0) continue;
      const auto* by_name =
          reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
      if (std::strcmp(reinterpret_cast<const char*>(by_name->Name), function) != 0) continue;
      DWORD old = 0;
      VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, PAGE_READWRITE, &old);
      slots->u1.Function = reinterpret_cast<ULONGLONG>(replacement);
      VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, old, &old);
      return true;
    }
  }
  return false;
}

constexpr wchar_t kStandInFile[] = L"ruckvale-standin-hook.dll";

// The folder of the simulator's executable, however long its path.
std::wstring ExeFolder() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n < path.size()) {
      path.resize(n);
      break;
    }
    path.resize(path.size() * 2);
  }
  return path.substr(0, path.find_last_of(L"\\/") + 1);
}

// A path the wide file functions take at any length.
std::wstring AnyLength(const std::wstring& path) {
  return files::AnyLength(std::filesystem::path(path)).native();
}

[[noreturn]] void Fail(const char* what) {
  throw std::runtime_error(std::string(what) + " (error " + std::to_string(GetLastError()) + ")");
}

}  // namespace

struct ScriptHost::Impl {
  Game* game = nullptr;
  HMODULE hook = nullptr;
  HMODULE module = nullptr;
  std::wstring hook_folder;  // holds the copy named ScriptHookRDR2.dll
  std::wstring hook_copy;
  LPVOID main_fiber = nullptr;
  LPVOID script_fiber = nullptr;
  bool converted = false;
  bool running = false;

  // Loads the stand-in as ScriptHookRDR2.dll from a folder of its own.
  void LoadHookCopy(const std::wstring& exe_folder) {
    // Room below it for the run's folder and the hook's copy.
    hook_folder = files::NewRunPath(files::TempFolder(80), "ruckvale-sim-").native();
    if (!CreateDirectoryW(AnyLength(hook_folder).c_str(), nullptr)) {
      hook_folder.clear();
      Fail("cannot create a folder for the stand-in hook");
    }
    hook_copy = hook_folder + L"\\ScriptHookRDR2.dll";
    if (!CopyFileW(AnyLength(exe_folder + kStandInFile).c_str(), AnyLength(hook_copy).c_str(),
                   TRUE)) {
      hook_copy.clear();
      Fail("cannot copy ruckvale-standin-hook.dll");
    }
    hook = LoadLibraryW(AnyLength(hook_copy).c_str());
    if (hook == nullptr) Fail("cannot load the stand-in hook");
  }

  void RemoveHookCopy() {
    if (hook != nullptr) FreeLibrary(hook);
    hook = nullptr;
    if (!hook_copy.empty()) DeleteFileW(AnyLength(hook_copy).c_str());
    if (!hook_folder.empty()) RemoveDirectoryW(AnyLength(hook_folder).c_str());
    hook_copy.clear();
    hook_folder.clear();
  }

  static void CALLBACK Entry(LPVOID param) {
    Impl* self = static_cast<Impl*>(param);
    if (void (*script)() = self->game->registered_script) script();
    self->running = false;
    SwitchToFiber(self->main_fiber);
  }
};

ScriptHost::ScriptHost(Game& game) : game_(game), impl_(std::make_unique<Impl>()) {
  impl_->game = &game;
  SetActiveGame(&game);
  game.yield_to_game = [impl = impl_.get()] { SwitchToFiber(impl->main_fiber); };
}

ScriptHost::~ScriptHost() {
  Impl& s = *impl_;
  if (s.module != nullptr) FreeLibrary(s.module);
  s.RemoveHookCopy();
  if (s.script_fiber != nullptr) DeleteFiber(s.script_fiber);
  if (s.converted) ConvertFiberToThread();
  game_.yield_to_game = nullptr;
  if (ActiveGame() == &game_) SetActiveGame(nullptr);
}

void ScriptHost::Load() {
  Impl& s = *impl_;
  SetActiveGame(&game_);
  const std::wstring folder = ExeFolder();
  s.LoadHookCopy(folder);
  // Both instances of the stand-in answer from the same game: the copy the
  // asi imports, and the one the simulator itself imports.
  for (HMODULE hook : {s.hook, GetModuleHandleW(kStandInFile)}) {
    if (hook == nullptr) continue;
    auto bind = reinterpret_cast<BindHookTableFn>(
        reinterpret_cast<void*>(GetProcAddress(hook, kBindHookTableExport)));
    if (bind == nullptr) Fail("the stand-in hook lacks its binding export");
    bind(&kTable);
  }
  s.module = LoadLibraryW(AnyLength(folder + L"Ruckvale.asi").c_str());
  if (s.module == nullptr) Fail("cannot load Ruckvale.asi");
  if (GetModuleHandleW(L"ScriptHookRDR2.dll") != s.hook) {
    Fail("Ruckvale.asi found another ScriptHookRDR2.dll than the stand-in");
  }
  for (const ImportPatch& patch : kImportPatches) {
    if (!PatchImport(s.module, patch.dll, patch.function, patch.replacement)) {
      Fail((std::string("Ruckvale.asi does not import ") + patch.function + " from " + patch.dll)
               .c_str());
    }
  }
}

void ScriptHost::Unload() {
  Impl& s = *impl_;
  if (s.module != nullptr) FreeLibrary(s.module);  // process detach: the script unregisters
  s.module = nullptr;
  s.running = false;
}

void ScriptHost::StartScript() {
  Impl& s = *impl_;
  if (game_.registered_script == nullptr) return;
  game_.ReleaseScriptEntities();
  if (s.main_fiber == nullptr) {
    s.main_fiber = ConvertThreadToFiber(nullptr);
    if (s.main_fiber == nullptr) Fail("ConvertThreadToFiber failed");
    s.converted = true;
  }
  if (s.script_fiber != nullptr) DeleteFiber(s.script_fiber);
  s.script_fiber = CreateFiber(1 << 20, &Impl::Entry, &s);
  if (s.script_fiber == nullptr) Fail("CreateFiber failed");
  s.running = true;
}

bool ScriptHost::RunFrame() {
  Impl& s = *impl_;
  if (!s.running || game_.registered_script == nullptr) return false;
  SetActiveGame(&game_);
  ++game_.frame;
  SwitchToFiber(s.script_fiber);
  return s.running;
}

}  // namespace ruckvale::sim
