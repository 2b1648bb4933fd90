// ruckvale-sim: runs the real module in a simulated game and tells what it
// does; `ruckvale-sim check-ini FILE` explains an ini file.
#include <iostream>
#include <string>
#include <vector>

#include "files/run_files.h"
#include "tools/ini_check.h"
#include "tools/options.h"
#include "tools/simulate.h"

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#else
#include <fcntl.h>

#include <csignal>
#endif

#if !defined(_WIN32)
// A standard stream started closed would hand its number to the first file
// the run opens (the map), which would then receive the story: each gets
// /dev/null. False when standard output was closed: the run is refused
// before anything.
bool StandardOutputOpen() {
  const bool output_closed = fcntl(1, F_GETFD) == -1;
  for (int fd = 0; fd <= 2; ++fd) {
    if (fcntl(fd, F_GETFD) == -1) open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
  }
  return !output_closed;
}
#endif

int main(int argc, char** argv) {
  using namespace ruckvale::tools;
#if defined(_WIN32)
  _setmode(_fileno(stdout), _O_BINARY);  // the same bytes as elsewhere: no CR before LF
#endif
#if !defined(_WIN32)
  // A closed pipe fails the write, which ends the run with a message and
  // removes its temporary files, instead of killing the process.
  std::signal(SIGPIPE, SIG_IGN);
  if (!StandardOutputOpen()) {
    std::cerr << "ruckvale-sim: cannot write the output: standard output is closed\n";
    return 2;
  }
#endif
  std::ios::sync_with_stdio(false);
#if defined(_WIN32)
  // Paths are UTF-8 inside the tool, and so is what it prints.
  if (_isatty(_fileno(stdout))) SetConsoleOutputCP(CP_UTF8);
#endif
  const std::vector<std::string> args = ruckvale::files::Utf8Arguments(argc, argv);
  std::string error;
  const std::optional<SimOptions> options = ParseOptions(args, error);
  if (!options) {
    std::cerr << "ruckvale-sim: " << error << " (ruckvale-sim --help shows the options)\n";
    return 2;
  }
  // Help and version go out as asked; a failed write of them is an error too.
  const auto done = [](int code) {
    std::cout.flush();
    if (std::cout) return code;
    std::cerr << "ruckvale-sim: cannot write the output\n";
    return 2;
  };
  if (options->help) {
    std::cout << (options->check_ini ? kCheckIniUsage : kUsage);
    return done(0);
  }
  if (options->version) {
    std::cout << "ruckvale-sim " RUCKVALE_VERSION " (Ruckvale " RUCKVALE_VERSION ")\n";
    return done(0);
  }
  if (options->check_ini) {
    const int code = CheckIni(*options->check_ini, std::cout, std::cerr);
    return code == kCheckUnreadable ? code : done(code);
  }
  // A console closing waits for the run's files to go.
  struct Finished {
    ~Finished() { ruckvale::files::RunFinished(); }
  } finished;
  try {
    return RunSimulation(*options, std::cout, std::cerr);
  } catch (const std::bad_alloc&) {
    std::cerr << "ruckvale-sim: out of memory; the run stopped\n";
    return 2;
  } catch (const std::exception& e) {
    std::cerr << "ruckvale-sim: the run stopped: " << e.what() << '\n';
    return 2;
  }
}
