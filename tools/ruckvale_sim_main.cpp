// ruckvale-sim: runs the real module in a simulated game and tells what it
// does; `ruckvale-sim check-ini FILE` explains an ini file.
#include <iostream>
#include <string>
#include <vector>

#include "tools/ini_check.h"
#include "tools/options.h"
#include "tools/simulate.h"

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#endif

int main(int argc, char** argv) {
  using namespace ruckvale::tools;
#if defined(_WIN32)
  _setmode(_fileno(stdout), _O_BINARY);  // the same bytes as elsewhere: no CR before LF
#endif
  std::ios::sync_with_stdio(false);
  const std::vector<std::string> args(argv + 1, argv + argc);
  std::string error;
  const std::optional<SimOptions> options = ParseOptions(args, error);
  if (!options) {
    std::cerr << "ruckvale-sim: " << error << "\n\n" << kUsage;
    return 2;
  }
  if (options->help) {
    std::cout << kUsage;
    return 0;
  }
  if (options->check_ini) return CheckIni(*options->check_ini, std::cout, std::cerr);
  try {
    return RunSimulation(*options, std::cout, std::cerr);
  } catch (const std::exception& e) {
    std::cerr << "ruckvale-sim: " << e.what() << '\n';
    return 1;
  }
}
