#include "files/run_files.h"

#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <system_error>

#if defined(_WIN32)
#include <direct.h>
#include <stdio.h>
#include <windows.h>
// after windows.h
#include <shellapi.h>
#else
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace ruckvale::files {

namespace fs = std::filesystem;

namespace {

using Char = fs::path::value_type;

// A fixed table, so that a signal handler reads only plain memory.
struct TempSlot {
  volatile std::sig_atomic_t used = 0;
  bool folder = false;
  Char path[4096] = {};
};
TempSlot g_slots[16];

void RemoveSlotPath(const TempSlot& slot) {
#if defined(_WIN32)
  if (slot.folder) {
    _wrmdir(slot.path);
  } else {
    _wremove(slot.path);
  }
#else
  if (slot.folder) {
    rmdir(slot.path);
  } else {
    std::remove(slot.path);
  }
#endif
}

#if !defined(_WIN32)
extern "C" void RemoveAndReraise(int sig) {
  RemoveRegisteredTemps();
  std::signal(sig, SIG_DFL);
  std::raise(sig);
}
#endif

// The run id in a name made by RunTagIn(folder, prefix) ("<prefix><id>-..."),
// or "" for a name of another kind. Ids are hexadecimal digits; older runs
// wrote their process id, which reads as one too.
std::string RunIdIn(const std::string& name, std::string_view prefix) {
  if (name.compare(0, prefix.size(), prefix) != 0) return "";
  std::size_t i = prefix.size();
  while (i < name.size() && i - prefix.size() < 32 &&
         ((name[i] >= '0' && name[i] <= '9') || (name[i] >= 'a' && name[i] <= 'f'))) {
    ++i;
  }
  if (i == prefix.size() || i >= name.size() || name[i] != '-') return "";
  return name.substr(prefix.size(), i - prefix.size());
}

// This process's run id: random, so that runs in other process-id
// namespaces (a container, wine) never share one.
const std::string& RunId() {
  static const std::string id = [] {
    std::random_device entropy;
    char text[17];
    std::snprintf(text, sizeof text, "%08x%08x", entropy(), entropy());
    return std::string(text);
  }();
  return id;
}

// A lock a live run holds on a file of its own. POSIX record locks (fcntl)
// on POSIX; LockFileEx on Windows, which wine keeps as a POSIX record lock
// too, so native and wine runs see each other's.
#if defined(_WIN32)
using LockHandle = HANDLE;
const LockHandle kNoLock = INVALID_HANDLE_VALUE;
LockHandle OpenLockFile(const fs::path& path, bool create) {
  return CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                     create ? CREATE_NEW : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}
bool TryLock(LockHandle h) {
  OVERLAPPED at{};
  return LockFileEx(h, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at) != 0;
}
void CloseLock(LockHandle h) {
  CloseHandle(h);
}
#else
using LockHandle = int;
const LockHandle kNoLock = -1;
LockHandle OpenLockFile(const fs::path& path, bool create) {
  return open(path.c_str(), O_RDWR | O_CLOEXEC | (create ? O_CREAT | O_EXCL : 0), 0600);
}
bool TryLock(LockHandle fd) {
  struct flock lock {};
  lock.l_type = F_WRLCK;
  lock.l_whence = SEEK_SET;
  lock.l_len = 1;
  return fcntl(fd, F_SETLK, &lock) == 0;
}
void CloseLock(LockHandle fd) {
  close(fd);
}
#endif

struct HeldLock {
  fs::path path;
  LockHandle handle;
};
std::vector<HeldLock>& HeldLocks() {
  static std::vector<HeldLock> held;
  return held;
}

// At exit: the run's lock files go.
void ReleaseRunLocks() {
  for (HeldLock& lock : HeldLocks()) {
    CloseLock(lock.handle);
    std::error_code ignored;
    fs::remove(lock.path, ignored);
    ForgetTemp(lock.path);
  }
  HeldLocks().clear();
}

// Locks "<prefix><id>-lock" in `folder` for the rest of the run: made under
// another name, locked, then renamed into place, so that no other run ever
// sees it unlocked. False when it cannot be made.
bool HoldLockIn(const fs::path& folder, const std::string& tag) {
  const fs::path path = folder / PathOf(tag + "lock");
  for (const HeldLock& lock : HeldLocks()) {
    if (lock.path == path) return true;
  }
  const fs::path staging = folder / PathOf(".ruckvale-staging-" + RunId());
  const LockHandle h = OpenLockFile(staging, true);
  if (h == kNoLock) return false;
  std::error_code ec;
  if (!TryLock(h) || (fs::rename(staging, path, ec), ec)) {
    CloseLock(h);
    fs::remove(staging, ec);
    return false;
  }
  if (HeldLocks().empty()) std::atexit(&ReleaseRunLocks);
  HeldLocks().push_back({path, h});
  RegisterTemp(path, false);
  return true;
}

// True when the run that made `lock` has ended: its lock can be taken, or it
// never got one. Takes and drops the lock.
bool RunEnded(const fs::path& lock) {
  const LockHandle h = OpenLockFile(lock, false);
  if (h == kNoLock) return true;
  const bool ended = TryLock(h);
  CloseLock(h);
  return ended;
}

// "<prefix><id>-", with the lock on "<prefix><id>-lock" held.
std::string RunTagIn(const fs::path& folder, std::string_view prefix) {
  const std::string tag = std::string(prefix) + RunId() + "-";
  if (!HoldLockIn(folder, tag)) {
    throw fs::filesystem_error("cannot make a lock file", folder / PathOf(tag + "lock"),
                               std::make_error_code(std::errc::io_error));
  }
  return tag;
}

// Removes what ended runs left in `folder` under `prefix`.
void RemoveLeftovers(const fs::path& folder, std::string_view prefix) {
  std::error_code ec;
  std::vector<fs::path> gone;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string id = RunIdIn(Utf8Of(it->path().filename()), prefix);
    if (id.empty() || id == RunId()) continue;
    const fs::path lock = folder / PathOf(std::string(prefix) + id + "-lock");
    if (RunEnded(lock)) gone.push_back(it->path());
  }
  // Removed after the walk, each with its lock asked again just before.
  for (const fs::path& path : gone) {
    const std::string id = RunIdIn(Utf8Of(path.filename()), prefix);
    if (!RunEnded(folder / PathOf(std::string(prefix) + id + "-lock"))) continue;
    std::error_code ignored;
    fs::remove_all(path, ignored);
  }
}

}  // namespace

fs::path PathOf(const std::string& utf8) {
  return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string Utf8Of(const fs::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

fs::path AnyLength(const fs::path& path) {
#if defined(_WIN32)
  const std::wstring& text = path.native();
  if (text.size() < MAX_PATH || text.rfind(L"\\\\", 0) == 0 || !path.is_absolute()) return path;
  std::wstring prefixed = L"\\\\?\\" + text;
  for (wchar_t& c : prefixed) c = c == L'/' ? L'\\' : c;  // "\\?\" takes no slashes
  return fs::path(prefixed);
#else
  return path;
#endif
}

fs::path TempFolder(std::size_t room) {
#if defined(_WIN32)
  // Read as GetTempPathW does (TMP, then TEMP, then the profile), but at any
  // length: it and the runtime stop at MAX_PATH.
  std::wstring temp(32768, L'\0');
  DWORD n = 0;
  for (const wchar_t* name : {L"TMP", L"TEMP", L"USERPROFILE"}) {
    n = GetEnvironmentVariableW(name, temp.data(), static_cast<DWORD>(temp.size()));
    if (n > 0 && n < temp.size()) break;
  }
  if (n == 0 || n >= temp.size()) return fs::temp_directory_path();
  temp.resize(n);
  while (temp.size() > 3 && (temp.back() == L'\\' || temp.back() == L'/')) temp.pop_back();
  if (temp.size() + room < MAX_PATH) return fs::path(temp);
  std::wstring short_form(32768, L'\0');
  n = GetShortPathNameW(AnyLength(fs::path(temp)).c_str(), short_form.data(),
                        static_cast<DWORD>(short_form.size()));
  if (n == 0 || n >= short_form.size()) return fs::path(temp);
  short_form.resize(n);
  if (short_form.rfind(L"\\\\?\\", 0) == 0) short_form.erase(0, 4);
  return fs::path(short_form.size() < temp.size() ? short_form : temp);
#else
  (void)room;
  return fs::temp_directory_path();
#endif
}

std::FILE* OpenFile(const fs::path& path, const char* mode) {
#if defined(_WIN32)
  wchar_t wide_mode[8] = {};
  for (int i = 0; i < 7 && mode[i] != '\0'; ++i) wide_mode[i] = static_cast<wchar_t>(mode[i]);
  return _wfopen(path.c_str(), wide_mode);
#else
  return std::fopen(path.c_str(), mode);
#endif
}

fs::path NewRunPath(const fs::path& folder, std::string_view prefix, std::string_view extension) {
  static std::atomic<unsigned> serial{0};
  RemoveLeftovers(folder, prefix);
  return folder /
         PathOf(RunTagIn(folder, prefix) + std::to_string(++serial) + std::string(extension));
}

bool RegisterTemp(const fs::path& path, bool folder) {
  const fs::path::string_type& text = path.native();
  if (text.size() >= sizeof g_slots[0].path / sizeof g_slots[0].path[0]) return false;
  for (TempSlot& slot : g_slots) {
    if (slot.used != 0) continue;
    std::memcpy(slot.path, text.c_str(), (text.size() + 1) * sizeof(Char));
    slot.folder = folder;
    slot.used = 1;
    return true;
  }
  return false;
}

void ForgetTemp(const fs::path& path) {
  for (TempSlot& slot : g_slots) {
    if (slot.used != 0 && path.native() == slot.path) slot.used = 0;
  }
}

void RemoveRegisteredTemps() {
  // Files before folders: a folder goes only once it is empty.
  for (int pass = 0; pass < 2; ++pass) {
    for (TempSlot& slot : g_slots) {
      if (slot.used != 0 && slot.folder == (pass == 1)) RemoveSlotPath(slot);
    }
  }
}

namespace {
volatile std::sig_atomic_t g_stop_requested = 0;
#if defined(_WIN32)
HANDLE g_run_finished = nullptr;

BOOL WINAPI OnConsoleEvent(DWORD event) {
  g_stop_requested = 1;
  if (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT) return TRUE;
  // Closing the console ends the process once this returns: wait for the
  // run to clean up, as long as Windows allows.
  if (g_run_finished != nullptr) WaitForSingleObject(g_run_finished, 4000);
  return TRUE;
}
#endif
}  // namespace

void CleanUpWhenCutShort() {
#if defined(_WIN32)
  if (g_run_finished == nullptr) g_run_finished = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  SetConsoleCtrlHandler(&OnConsoleEvent, TRUE);
#else
  // Every signal whose default is to end the process and that a user or the
  // system sends to a run: the keyboard, kill, a closed terminal, timers, the
  // user signals, resource limits.
  for (const int sig : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGUSR1, SIGUSR2, SIGALRM, SIGVTALRM,
                        SIGPROF, SIGXCPU, SIGXFSZ, SIGIO}) {
    std::signal(sig, RemoveAndReraise);
  }
#if defined(SIGPWR)
  std::signal(SIGPWR, RemoveAndReraise);
#endif
#endif
}

bool StopRequested() {
  return g_stop_requested != 0;
}

void RunFinished() {
#if defined(_WIN32)
  if (g_run_finished != nullptr) SetEvent(g_run_finished);
#endif
}

std::vector<std::string> Utf8Arguments(int argc, char** argv) {
#if defined(_WIN32)
  (void)argc;
  (void)argv;
  int count = 0;
  LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::string> args;
  for (int i = 1; wide != nullptr && i < count; ++i) args.push_back(Utf8Of(fs::path(wide[i])));
  if (wide != nullptr) LocalFree(wide);
  return args;
#else
  return std::vector<std::string>(argv + 1, argv + argc);
#endif
}

}  // namespace ruckvale::files
