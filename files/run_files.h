// The files and folders a simulator run makes for itself, and the paths the
// user names. Paths travel as UTF-8 text and reach the system as
// std::filesystem::path (wide on Windows), so that any name works whatever
// the system's code page. What a run makes is registered here, so that it
// never outlives the run: its owner removes it, a handler does when a signal
// or a console event ends the run first, and the next run removes what a run
// killed outright left, told by a lock the live run holds.
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace ruckvale::files {

std::filesystem::path PathOf(const std::string& utf8);
std::string Utf8Of(const std::filesystem::path& path);
// Windows: `path` as the wide file functions take it at any length: "\\?\"
// before an absolute path of MAX_PATH characters or more. Elsewhere, and for
// shorter paths, the path as it stands.
std::filesystem::path AnyLength(const std::filesystem::path& path);
// The system's temporary folder. On Windows its short (8.3) form when the
// long one leaves fewer than `room` characters below it for a working
// folder, which Windows limits to MAX_PATH whatever the prefix.
std::filesystem::path TempFolder(std::size_t room);
// fopen of a path; _wfopen on Windows.
std::FILE* OpenFile(const std::filesystem::path& path, const char* mode);

// A new name in `folder` for one of this run's files or folders:
// "<prefix><id>-<n><extension>", with this run's random id and n counting up
// within the run. The first call for a folder and prefix makes
// "<prefix><id>-lock" there and holds a lock on it until the process ends
// (its file goes then, or with the other registered files when the run is
// cut short). Each call first removes what ended runs left there: the names
// "<prefix><id>-..." whose run's lock file is gone or can be locked. No
// process ids are compared, so runs in another process-id namespace (a
// container, wine) never lose a live run's files, and a killed run's go.
// Throws std::filesystem::filesystem_error when the lock file cannot be made.
std::filesystem::path NewRunPath(const std::filesystem::path& folder, std::string_view prefix,
                                 std::string_view extension = {});

// Registers a file, or a folder to remove once empty, for removal when the
// run is cut short; Forget withdraws it once its owner removed or kept it.
// False when it cannot be registered (a path of 4,096 characters or more, or
// sixteen registered already): the caller must not make it then.
bool RegisterTemp(const std::filesystem::path& path, bool folder);
void ForgetTemp(const std::filesystem::path& path);
// Removes every registered path now.
void RemoveRegisteredTemps();

// Arms the clean-up of a run cut short; call once, early.
// - POSIX: every terminating signal removes the registered paths, then ends
//   the process as it would have.
// - Windows: Ctrl+C, Ctrl+Break and closing the console ask the run to stop;
//   the frame loop sees StopRequested() and ends, and the owners remove their
//   files as at any other end (a loaded DLL's file cannot go any other way).
//   The console waits for RunFinished() before it closes the process.
void CleanUpWhenCutShort();
bool StopRequested();
void RunFinished();

// The program's arguments as UTF-8: on Windows read as the system's wide
// command line, so that names outside the code page arrive whole.
std::vector<std::string> Utf8Arguments(int argc, char** argv);

}  // namespace ruckvale::files
