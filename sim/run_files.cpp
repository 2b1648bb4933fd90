#include "sim/run_files.h"

#include <csignal>
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
#include <signal.h>
#include <unistd.h>
#include <cerrno>
#endif

namespace ruckvale::sim {

namespace fs = std::filesystem;

namespace {

using Char = fs::path::value_type;

// A fixed table, so that a signal handler reads only plain memory.
struct TempSlot {
  volatile std::sig_atomic_t used = 0;
  bool folder = false;
  Char path[1024] = {};
};
TempSlot g_slots[8];

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

// The process id in a name made by RunTag(prefix), or 0.
unsigned long PidIn(const std::string& name, std::string_view prefix) {
  if (name.compare(0, prefix.size(), prefix) != 0) return 0;
  unsigned long pid = 0;
  std::size_t i = prefix.size();
  for (; i < name.size() && name[i] >= '0' && name[i] <= '9' && pid < 100000000ul; ++i) {
    pid = pid * 10 + static_cast<unsigned long>(name[i] - '0');
  }
  return i < name.size() && name[i] == '-' ? pid : 0;
}

}  // namespace

fs::path PathOf(const std::string& utf8) {
  return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string Utf8Of(const fs::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
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

unsigned long ProcessId() {
#if defined(_WIN32)
  return GetCurrentProcessId();
#else
  return static_cast<unsigned long>(getpid());
#endif
}

bool ProcessAlive(unsigned long pid) {
#if defined(_WIN32)
  HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(pid));
  if (process == nullptr) return GetLastError() != ERROR_INVALID_PARAMETER;
  const bool running = WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
  CloseHandle(process);
  return running;
#else
  return kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
#endif
}

std::string RunTag(std::string_view prefix) {
  return std::string(prefix) + std::to_string(ProcessId()) + "-";
}

void RemoveLeftovers(const fs::path& folder, std::string_view prefix) {
  std::error_code ec;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    const unsigned long pid = PidIn(Utf8Of(it->path().filename()), prefix);
    if (pid == 0 || pid == ProcessId() || ProcessAlive(pid)) continue;
    std::error_code ignored;
    fs::remove_all(it->path(), ignored);
  }
}

void RegisterTemp(const fs::path& path, bool folder) {
  const fs::path::string_type& text = path.native();
  for (TempSlot& slot : g_slots) {
    if (slot.used != 0 || text.size() >= sizeof slot.path / sizeof slot.path[0]) continue;
    std::memcpy(slot.path, text.c_str(), (text.size() + 1) * sizeof(Char));
    slot.folder = folder;
    slot.used = 1;
    return;
  }
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

}  // namespace ruckvale::sim
