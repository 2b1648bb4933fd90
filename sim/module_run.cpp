#include "sim/module_run.h"

#include "files/run_files.h"

#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <system_error>

#if defined(_WIN32)
#include <windows.h>
#endif

namespace ruckvale::sim {

namespace fs = std::filesystem;

IniFolder::IniFolder(const std::optional<std::string>& ini) {
  Enter();
  Write(ini);
}

IniFolder::IniFolder(const LinkTo& ini) {
  Enter();
  const fs::path user_file = files::PathOf(ini.path);
  std::error_code ec;
  fs::create_symlink(user_file, file(), ec);
  if (!ec) return;
  try {
    fs::copy_file(user_file, file());
  } catch (...) {
    std::error_code ignored;
    fs::remove(file(), ignored);
    fs::current_path(previous_, ignored);
    fs::remove_all(folder_, ignored);
    throw;
  }
}

void IniFolder::Enter() {
  previous_ = fs::current_path();
  // Below the temporary folder: the run's folder ("ruckvale-run-<id>-<n>")
  // and its Ruckvale.ini, which Windows opens from the working folder only
  // within MAX_PATH.
  constexpr std::size_t kRoom = 72;
  const fs::path temp = files::TempFolder(kRoom);
#if defined(_WIN32)
  if (temp.native().size() + kRoom >= MAX_PATH) {
    throw std::runtime_error("the temporary folder '" + files::Utf8Of(temp) + "' is " +
                             std::to_string(temp.native().size()) +
                             " characters long, too long for the run's working folder below it "
                             "(Windows allows " +
                             std::to_string(MAX_PATH - 1) +
                             " in all): set TEMP to a shorter folder");
  }
#endif
  const fs::path folder = files::NewRunPath(temp, kRunFolderPrefix);
  fs::create_directories(folder);
  folder_ = folder;
  fs::current_path(folder);
}

fs::path IniFolder::file() const {
  return folder_ / "Ruckvale.ini";
}

IniFolder::~IniFolder() {
  std::error_code ec;
  fs::current_path(previous_, ec);
  fs::remove_all(folder_, ec);
}

void IniFolder::Write(const std::optional<std::string>& ini) {
  const fs::path file = folder_ / "Ruckvale.ini";
  std::error_code ec;
  fs::remove(file, ec);
  if (ini) std::ofstream(file, std::ios::binary) << *ini;
}

ModuleRun::ModuleRun() = default;
ModuleRun::~ModuleRun() = default;

void ModuleRun::Start() {
  host.Load();
  host.StartScript();
}

void ModuleRun::Frame(std::uint32_t ms) {
  host.RunFrame();
  game.world.tick += ms;  // unsigned: wraps from 2^32 - 1 to 0
}

void ModuleRun::Frames(int n, std::uint32_t ms) {
  for (int i = 0; i < n; ++i) Frame(ms);
}

}  // namespace ruckvale::sim
