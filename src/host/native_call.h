// The one way the module calls a game native: nativeInit with the hash, one
// nativePush64 per argument in order, nativeCall, and the result read at once,
// before any other native call.
#pragma once

#include <cstdint>
#include <cstring>
#include <type_traits>

#include "host/hook.h"
#include "host/native_list.h"
#include "host/types.h"

namespace ruckvale {

// 32-bit values are widened without sign extension: -1 travels as 0x00000000FFFFFFFF.
inline std::uint64_t NativeArg(std::int32_t v) {
  return static_cast<std::uint32_t>(v);
}
inline std::uint64_t NativeArg(std::uint32_t v) {
  return v;
}
inline std::uint64_t NativeArg(bool v) {
  return v ? 1u : 0u;
}
// A 32-bit float travels as its IEEE-754 bit pattern in the low 32 bits, the
// high 32 bits clear: 0.5f is 0x000000003F000000.
inline std::uint64_t NativeArg(float v) {
  std::uint32_t bits;
  static_assert(sizeof bits == sizeof v);
  std::memcpy(&bits, &v, sizeof bits);
  return bits;
}
// Strings, buffers and out-parameters travel as the address of the caller's storage.
inline std::uint64_t NativeArg(const void* p) {
  return reinterpret_cast<std::uintptr_t>(p);
}

// Calls the native and reads its result as R: void (ignored), an integer,
// bool, Ped or Hash (the low 32 bits of slot 0), Vector3 (three slots), or
// const char* (all 64 bits of slot 0: a string the game owns).
// A hook that answers with no result slots reads as zero.
template <typename R = void, typename... Args>
R CallNative(NativeHash hash, Args... args) {
  nativeInit(static_cast<std::uint64_t>(hash));
  (nativePush64(NativeArg(args)), ...);
  const std::uint64_t* slots = nativeCall();
  if constexpr (std::is_void_v<R>) {
    return;
  } else if constexpr (std::is_same_v<R, Vector3>) {
    Vector3 v{};
    if (slots != nullptr) std::memcpy(&v, slots, sizeof v);
    return v;
  } else if constexpr (std::is_same_v<R, const char*>) {
    return slots == nullptr ? nullptr
                            : reinterpret_cast<const char*>(static_cast<std::uintptr_t>(slots[0]));
  } else if constexpr (std::is_same_v<R, bool>) {
    return slots != nullptr && static_cast<std::uint32_t>(slots[0]) != 0;
  } else {
    static_assert(std::is_integral_v<R> && sizeof(R) == 4);
    return slots == nullptr ? R{0} : static_cast<R>(static_cast<std::uint32_t>(slots[0]));
  }
}

}  // namespace ruckvale
