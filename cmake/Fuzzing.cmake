# libFuzzer needs clang and its fuzzer runtime (Debian: libclang-rt-14-dev).
# ruckvale_fuzz_supported is set when both are there.
include(CheckCXXSourceCompiles)
set(CMAKE_REQUIRED_FLAGS "-fsanitize=fuzzer")
check_cxx_source_compiles([[
  #include <cstddef>
  #include <cstdint>
  extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t*, std::size_t) { return 0; }
]] ruckvale_fuzz_supported)
unset(CMAKE_REQUIRED_FLAGS)
if(NOT ruckvale_fuzz_supported)
  message(WARNING "This compiler cannot build libFuzzer targets; the fuzz targets are skipped.")
endif()
