// Splits the bytes of Ruckvale.ini into lines. Bytes are taken as they stand:
// a line feed ends a line, a carriage return directly before it is dropped
// (every other carriage return is an ordinary byte), and a byte 0x1A ends the
// text. The last line needs no line feed. Lines may be of any length.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace ruckvale {

class IniLineReader {
 public:
  explicit IniLineReader(std::FILE* file) : file_(file) {}
  // The same lines from bytes in memory, which must outlive the reader.
  explicit IniLineReader(std::string_view bytes) : bytes_(bytes) {}

  // Sets `line` to the next line, valid until the next call. Returns false at
  // the end of the text or when reading fails (see failed()). Throws only
  // std::bad_alloc, for a line too long for memory.
  bool Next(std::string_view& line);

  // True when reading stopped on a read error rather than at the end.
  bool failed() const { return failed_; }

 private:
  // Fills the chunk with the next bytes; 0 at the end or on a read error.
  std::size_t Fill();

  std::FILE* file_ = nullptr;
  std::string_view bytes_;  // the source when there is no file
  std::string line_;
  char chunk_[4096];
  std::size_t chunk_pos_ = 0;
  std::size_t chunk_len_ = 0;
  bool done_ = false;
  bool failed_ = false;
};

}  // namespace ruckvale
