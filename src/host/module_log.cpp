#include "host/module_log.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#if defined(_WIN32)
#include <windows.h>
#else
#include <sys/stat.h>
#endif

namespace ruckvale {

namespace {

constexpr char kLogName[] = "Ruckvale.log";
constexpr char kOldLogName[] = "Ruckvale.log.1";
constexpr char kFullLine[] =
    "the log is full (1 MB): nothing more until the game starts Ruckvale again\n";

// Writes `n` bytes, or closes the log when the system will not take them.
void Write(ModuleLog& log, const char* bytes, std::size_t n) {
  if (std::fwrite(bytes, 1, n, log.file) != n) {
    CloseLog(log);
    return;
  }
  log.written += static_cast<long>(n);
}

// True for a plain file, not for a folder, a device or nothing at all.
bool IsRegularFile(const char* name) {
#if defined(_WIN32)
  const DWORD attributes = GetFileAttributesA(name);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
#else
  struct stat info {};
  return stat(name, &info) == 0 && (info.st_mode & S_IFMT) == S_IFREG;
#endif
}

}  // namespace

void OpenLog(ModuleLog& log, std::uint32_t now) noexcept {
  CloseLog(log);
  // Only files are rotated: a folder or a device of that name is left as it
  // is. When the earlier log cannot become Ruckvale.log.1 (something that is
  // no file holds that name), this run's lines follow it instead of
  // replacing it.
  const char* mode = "wb";
  if (IsRegularFile(kLogName)) {
    if (IsRegularFile(kOldLogName)) std::remove(kOldLogName);
    if (std::rename(kLogName, kOldLogName) != 0) mode = "ab";
  }
  log.file = std::fopen(kLogName, mode);
  log.start_tick = now;
  log.written = 0;
}

void LogLine(ModuleLog& log, std::uint32_t now, const char* format, ...) noexcept {
  if (log.file == nullptr) return;
  char line[512];
  const std::uint32_t ms = now - log.start_tick;
  int n = std::snprintf(line, sizeof line, "[%7u.%03u s] ", ms / 1000, ms % 1000);
  std::va_list args;
  va_start(args, format);
  const int body =
      std::vsnprintf(line + n, sizeof line - static_cast<std::size_t>(n) - 1, format, args);
  va_end(args);
  if (body < 0) return;
  // A line too long for the buffer is cut; it still ends the line.
  n = static_cast<int>(std::strlen(line));
  line[n++] = '\n';
  const long full_line = static_cast<long>(sizeof kFullLine - 1);
  if (log.written + n + full_line > kLogLimitBytes) {
    Write(log, kFullLine, sizeof kFullLine - 1);
    LogFlush(log);
    CloseLog(log);
    return;
  }
  Write(log, line, static_cast<std::size_t>(n));
}

void LogFlush(ModuleLog& log) noexcept {
  if (log.file != nullptr && std::fflush(log.file) != 0) CloseLog(log);
}

void CloseLog(ModuleLog& log) noexcept {
  if (log.file == nullptr) return;
  std::fclose(log.file);
  log.file = nullptr;
}

}  // namespace ruckvale
