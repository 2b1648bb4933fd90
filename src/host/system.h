// The Windows functions the module uses besides the hook: the millisecond
// tick, the keyboard poll, and the three that tell whether the game's window
// has the foreground. On Windows they come from KERNEL32 and USER32;
// elsewhere the simulated game supplies them.
#pragma once

#include <cstdint>

#if defined(_WIN32)
#include <windows.h>
#else
struct HWND__;
using HWND = HWND__*;
extern "C" std::uint32_t GetTickCount();
extern "C" std::int16_t GetAsyncKeyState(int virtual_key);
extern "C" HWND GetForegroundWindow();
extern "C" std::uint32_t GetWindowThreadProcessId(HWND window, std::uint32_t* process_id);
extern "C" std::uint32_t GetCurrentProcessId();
#endif
