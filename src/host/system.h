// The two Windows functions the module uses besides the hook: the millisecond
// tick and the keyboard poll. On Windows they come from KERNEL32 and USER32;
// elsewhere the simulated game supplies them.
#pragma once

#include <cstdint>

#if defined(_WIN32)
#include <windows.h>
#else
extern "C" std::uint32_t GetTickCount();
extern "C" std::int16_t GetAsyncKeyState(int virtual_key);
#endif
