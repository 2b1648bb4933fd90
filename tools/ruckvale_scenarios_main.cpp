// ruckvale-scenarios: prints the trace of every fixed scenario (or of those
// named on the command line). The native build and the Windows build under
// wine must print the same bytes.
#include <cstdio>
#include <exception>
#include <string>

#include "sim/scenarios.h"

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#endif

int main(int argc, char** argv) {
#if defined(_WIN32)
  _setmode(_fileno(stdout), _O_BINARY);  // the same bytes as elsewhere: no CR before LF
#endif
  try {
    if (argc > 1 && std::string(argv[1]) == "--list") {
      for (const auto& s : ruckvale::sim::Scenarios()) std::printf("%-18s %s\n", s.name, s.about);
      return 0;
    }
    // Every name asked for must be a scenario.
    for (int i = 1; i < argc; ++i) {
      bool known = false;
      for (const auto& s : ruckvale::sim::Scenarios())
        known = known || s.name == std::string(argv[i]);
      if (!known) {
        std::fprintf(stderr, "ruckvale-scenarios: no scenario named '%s' (--list names them)\n",
                     argv[i]);
        return 2;
      }
    }
    for (const auto& s : ruckvale::sim::Scenarios()) {
      bool wanted = argc == 1;
      for (int i = 1; i < argc; ++i) wanted = wanted || s.name == std::string(argv[i]);
      if (!wanted) continue;
      const std::string trace = ruckvale::sim::RunScenario(s.name);
      std::printf("== %s\n", s.name);
      std::fwrite(trace.data(), 1, trace.size(), stdout);
    }
    // A full disk or a closed pipe loses the traces: say so.
    if (std::fflush(stdout) != 0 || std::ferror(stdout) != 0) {
      std::fprintf(stderr, "ruckvale-scenarios: cannot write the traces\n");
      return 2;
    }
    return 0;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "ruckvale-scenarios: %s\n", e.what());
    return 2;
  }
}
