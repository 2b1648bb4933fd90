#include "tools/probe_log.h"

#include <cctype>
#include <cstdio>

#include "files/run_files.h"

namespace ruckvale::tools {

std::string_view LogLineText(std::string_view line) {
  if (line.empty() || line.front() != '[') return line;
  const std::size_t end = line.find("] ");
  return end == std::string_view::npos ? line : line.substr(end + 2);
}

bool IsProbeLine(std::string_view line, bool after_probe) {
  const std::string_view text = LogLineText(line);
  if (text.starts_with("probe")) return true;
  if (text.size() >= 2 && text[0] == 'Q' && std::isdigit(static_cast<unsigned char>(text[1]))) {
    return true;
  }
  return after_probe && text.starts_with("  ");
}

void ProbeLogReader::Read(std::vector<std::string>& lines) {
  std::FILE* in = files::OpenFile(files::PathOf(path_), "rb");
  if (in == nullptr) return;
  if (std::fseek(in, 0, SEEK_END) == 0 && std::ftell(in) < offset_) {
    offset_ = 0;
    after_probe_ = false;
  }
  std::string text;
  if (std::fseek(in, offset_, SEEK_SET) == 0) {
    char chunk[4096];
    for (std::size_t got; (got = std::fread(chunk, 1, sizeof chunk, in)) > 0;) {
      text.append(chunk, got);
    }
  }
  std::fclose(in);
  std::size_t start = 0;
  for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
    std::string_view line(text.data() + start, end - start);
    if (line.ends_with('\r')) line.remove_suffix(1);
    after_probe_ = IsProbeLine(line, after_probe_);
    if (after_probe_) lines.emplace_back(LogLineText(line));
  }
  offset_ += static_cast<long>(start);
}

}  // namespace ruckvale::tools
