// The fuzz targets' saved inputs, replayed as ordinary tests.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "fuzz/passes_target.h"
#include "fuzz/settings_target.h"

namespace ruckvale {
namespace {

std::vector<std::uint8_t> Bytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

int Replay(const char* corpus, void (*body)(const std::uint8_t*, std::size_t)) {
  const auto dir = std::filesystem::path(RUCKVALE_SOURCE_DIR) / "fuzz/corpus" / corpus;
  int replayed = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    const std::vector<std::uint8_t> data = Bytes(entry.path());
    body(data.data(), data.size());
    ++replayed;
  }
  return replayed;
}

TEST(FuzzReplay, SettingsCorpus) {
  EXPECT_GE(Replay("settings", &fuzz::ReadSettingsOnce), 4);
}

TEST(FuzzReplay, PassesCorpus) {
  EXPECT_GE(Replay("passes", &fuzz::RunPassesOnce), 3);
}

}  // namespace
}  // namespace ruckvale
