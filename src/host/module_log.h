// Ruckvale.log: what the module read, what triggered and what came of it,
// for a player or a tester to read when "nothing happens". Off unless the
// ini sets log=true. Written on the script fiber, through the C runtime's
// buffer, flushed after each event; a pass without an event writes nothing.
// A write error closes the log for good, never the module.
#pragma once

#include <cstdint>
#include <cstdio>

namespace ruckvale {

// The most the log holds in one run of the script; then one line says so.
inline constexpr long kLogLimitBytes = 1024 * 1024;

struct ModuleLog {
  std::FILE* file = nullptr;
  std::uint32_t start_tick = 0;  // times are written from here
  long written = 0;
};

// Starts the log afresh in the working folder: an earlier Ruckvale.log file
// becomes Ruckvale.log.1 (replacing an older file of that name). When it
// cannot, this run's lines follow the earlier ones. A folder or device named
// Ruckvale.log is never moved. Nothing happens when the file cannot be made.
// The 1 MB limit counts this run's bytes only.
void OpenLog(ModuleLog& log, std::uint32_t now) noexcept;

// True while lines are written.
inline bool LogOn(const ModuleLog& log) {
  return log.file != nullptr;
}

// One line, printf-style, after the time since start ("[  12.345 s] ").
// Lines beyond 1 MB are dropped after one that says so.
#if defined(__GNUC__)
__attribute__((format(printf, 3, 4)))
#endif
void LogLine(ModuleLog& log, std::uint32_t now, const char* format, ...) noexcept;

// Ends an event: flushes what it wrote.
void LogFlush(ModuleLog& log) noexcept;

void CloseLog(ModuleLog& log) noexcept;

}  // namespace ruckvale
