#include "host/dll_main.h"

#include "host/script_main.h"

namespace {
constexpr DWORD kProcessDetach = 0;
constexpr DWORD kProcessAttach = 1;

}  // namespace

#if defined(_WIN32)
extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID /*reserved*/) {
#else
extern "C" int DllMain(HINSTANCE module, DWORD reason, void* /*reserved*/) {
#endif
  if (reason == kProcessAttach) {
    scriptRegister(module, &ruckvale::ScriptMain);
  } else if (reason == kProcessDetach) {
    scriptUnregister(module);
  }
  return 1;
}
