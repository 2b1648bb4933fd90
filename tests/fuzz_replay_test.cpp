// The fuzz targets' saved inputs, replayed as ordinary tests.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "fuzz/settings_target.h"

namespace ruckvale {
namespace {

std::vector<std::uint8_t> Bytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(FuzzReplay, SettingsCorpus) {
  const std::filesystem::path dir = std::filesystem::path(RUCKVALE_SOURCE_DIR) / "fuzz/corpus/settings";
  int replayed = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    const std::vector<std::uint8_t> data = Bytes(entry.path());
    fuzz::ReadSettingsOnce(data.data(), data.size());
    ++replayed;
  }
  EXPECT_GE(replayed, 4);
}

}  // namespace
}  // namespace ruckvale
