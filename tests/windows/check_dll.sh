#!/usr/bin/env bash
# Checks Ruckvale.asi as the loader and the player's Windows will see it: a
# 64-bit DLL whose only imports are the six hook functions (by their
# decorated names) and system functions on an allow-list, that exports
# nothing, takes from USER32 only the key poll and the two foreground
# functions, and carries the hardening
# flags and a version resource (what Windows shows in the file's properties).
# Usage: check_dll.sh Ruckvale.asi VERSION
set -euo pipefail
export LC_ALL=C
dll=$1 version=$2
dump=$(x86_64-w64-mingw32-objdump -p "$dll")
fail() { echo "check_dll: $*" >&2; exit 1; }

grep -q 'file format pei-x86-64' <<<"$(x86_64-w64-mingw32-objdump -f "$dll")" || fail "not a 64-bit PE"
grep -Eq '^Characteristics .*' <<<"$dump" || fail "no PE header"
grep -q 'DLL' <<<"$(sed -n '/^Characteristics/,/^$/p' <<<"$dump")" || fail "not a DLL"

dlls=$(sed -n 's/^\s*DLL Name: //p' <<<"$dump" | sort | tr '\n' ' ')
[[ "$dlls" == "KERNEL32.dll ScriptHookRDR2.dll USER32.dll msvcrt.dll " ]] ||
  fail "imports from: $dlls (want KERNEL32.dll, msvcrt.dll, ScriptHookRDR2.dll, USER32.dll)"

imports_of() {  # the function names imported from DLL $1
  awk -v dll="$1" '
    /^[ \t]*DLL Name: / { inside = ($3 == dll); next }
    inside && /^[ \t]*$/ { inside = 0 }
    inside && $1 ~ /^[0-9a-f]+$/ && NF >= 3 { print $3 }' <<<"$dump" | sort | tr '\n' ' '
}
hook=$(imports_of ScriptHookRDR2.dll)
want='?nativeCall@@YAPEA_KXZ ?nativeInit@@YAX_K@Z ?nativePush64@@YAX_K@Z ?scriptRegister@@YAXPEAUHINSTANCE__@@P6AXXZ@Z ?scriptUnregister@@YAXPEAUHINSTANCE__@@@Z ?scriptWait@@YAXK@Z '
[[ "$hook" == "$want" ]] || fail "hook imports: $hook"

# Every system import on an allow-list: what the module calls, and what the
# C++ runtime needs for exceptions, memory, locale and its error path. A new
# import fails here until someone adds it on purpose. Mod sites and antivirus
# tools score thread-context, process, debugger and console functions.
# GetFileAttributesA tells the log whether Ruckvale.log is a file it may move
# aside.
allowed_user32="GetAsyncKeyState GetForegroundWindow GetWindowThreadProcessId"
allowed_kernel32="GetTickCount GetCurrentProcessId GetFileAttributesA
  CloseHandle CreateSemaphoreW DeleteCriticalSection EnterCriticalSection GetCurrentThreadId
  GetLastError InitializeCriticalSection IsDBCSLeadByteEx
  LeaveCriticalSection MultiByteToWideChar RaiseException ReleaseSemaphore
  RtlCaptureContext RtlLookupFunctionEntry RtlUnwindEx RtlVirtualUnwind SetLastError Sleep
  TlsAlloc TlsFree TlsGetValue TlsSetValue VirtualProtect VirtualQuery WaitForSingleObject
  WideCharToMultiByte"
# fopen, fread, ferror and fclose read Ruckvale.ini; with log=true, fwrite,
# fflush, remove and rename keep Ruckvale.log and the one before; fputs, fputc, fwrite and
# vfprintf to stderr are the runtime's last words before abort (an unhandled
# exception, a failed relocation at load), which a game's window never shows.
allowed_msvcrt="fopen fread ferror fclose fflush remove rename
  malloc calloc realloc free memchr memcmp memcpy memmove memset strcmp strlen strncmp wcslen
  strerror localeconv ___lc_codepage_func ___mb_cur_max_func _errno _initterm _amsg_exit
  __setusermatherr _lock _unlock abort __iob_func fputs fputc fwrite vfprintf"
check_allowed() {  # DLL, allowed names
  local name
  for name in $(imports_of "$1"); do
    grep -qw -- "$name" <<<"$2" || fail "$1 import $name is not on the allow-list (tests/windows/check_dll.sh)"
  done
}
check_allowed KERNEL32.dll "$allowed_kernel32"
check_allowed USER32.dll "$allowed_user32"
check_allowed msvcrt.dll "$allowed_msvcrt"
for name in GetTickCount GetCurrentProcessId; do
  grep -qw "$name" <<<"$(imports_of KERNEL32.dll)" || fail "$name not imported from KERNEL32.dll"
done
[[ "$(imports_of USER32.dll)" == "GetAsyncKeyState GetForegroundWindow GetWindowThreadProcessId " ]] ||
  fail "USER32.dll imports: $(imports_of USER32.dll)"

# No hidden API lookup: the runtime's random_device (LoadLibraryW and
# GetProcAddress of SystemFunction036) stays out (packaging/runtime_errors.cpp).
for word in random_device SystemFunction036 advapi32; do
  ! grep -qaF "$word" "$dll" || fail "the DLL carries '$word'"
done

exports=$(sed -n '/^\[Ordinal\/Name Pointer\] Table/,/^$/p' <<<"$dump" | grep -c '\[' || true)
[[ "$exports" -le 1 ]] || fail "the DLL exports functions"

flags=$(sed -n '/^DllCharacteristics/,/^[A-Z]/p' <<<"$dump")
for flag in HIGH_ENTROPY_VA DYNAMIC_BASE NX_COMPAT; do
  grep -q "$flag" <<<"$flags" || fail "missing $flag"
done
x86_64-w64-mingw32-objdump -h "$dll" | grep -q ' \.rsrc ' || fail "no resource section"
# The version resource's strings are UTF-16.
resource=$(x86_64-w64-mingw32-strings -el "$dll")
for want in VS_VERSION_INFO ProductName Ruckvale ProductVersion "$version" FileDescription LegalCopyright; do
  grep -qxF -- "$want" <<<"$resource" || fail "the version resource lacks '$want'"
done
echo "check_dll: $dll imports $dlls; the six hook functions; hardened; version $version"
