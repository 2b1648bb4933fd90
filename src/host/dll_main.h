// The DLL's entry: registers the script with the hook on process attach and
// withdraws it on process detach. Returns 1 (TRUE) for every reason.
#pragma once

#include "host/hook.h"

#if defined(_WIN32)
extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID reserved);
#else
// The simulated game loads the module by calling its entry like Windows does.
extern "C" int DllMain(HINSTANCE module, DWORD reason, void* reserved);
#endif
