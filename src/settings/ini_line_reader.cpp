#include "settings/ini_line_reader.h"

#include <algorithm>
#include <cstring>

namespace ruckvale {

std::size_t IniLineReader::Fill() {
  if (file_ == nullptr) {
    const std::size_t n = std::min(bytes_.size(), sizeof chunk_);
    std::memcpy(chunk_, bytes_.data(), n);
    bytes_.remove_prefix(n);
    return n;
  }
  const std::size_t n = std::fread(chunk_, 1, sizeof chunk_, file_);
  if (n == 0) failed_ = std::ferror(file_) != 0;
  return n;
}

bool IniLineReader::Next(std::string_view& line) {
  line_.clear();
  bool any = false;  // a line has begun, even if it is empty so far
  while (!done_) {
    if (chunk_pos_ == chunk_len_) {
      chunk_len_ = Fill();
      chunk_pos_ = 0;
      if (chunk_len_ == 0) {
        done_ = true;
        break;
      }
    }
    const char* begin = chunk_ + chunk_pos_;
    const std::size_t left = chunk_len_ - chunk_pos_;
    const void* lf = std::memchr(begin, '\n', left);
    const void* eof = std::memchr(begin, 0x1A, left);
    const char* stop = static_cast<const char*>(lf);
    if (eof != nullptr && (stop == nullptr || eof < lf)) stop = static_cast<const char*>(eof);
    if (stop == nullptr) {
      line_.append(begin, left);
      chunk_pos_ = chunk_len_;
      any = true;
      continue;
    }
    line_.append(begin, static_cast<std::size_t>(stop - begin));
    chunk_pos_ += static_cast<std::size_t>(stop - begin) + 1;
    if (*stop == 0x1A) {
      done_ = true;  // nothing after the end-of-text byte is read
    } else if (!line_.empty() && line_.back() == '\r') {
      line_.pop_back();  // CR LF ends a line like LF alone
    }
    line = line_;
    return true;
  }
  // A read error drops the partial line: reading ends as at the end of the file.
  if (!any || failed_) return false;
  line = line_;
  return true;
}

}  // namespace ruckvale
