// The probe's lines in the module's Ruckvale.log, read back while a run goes
// on so that the story can tell them at the frame the module wrote them.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace ruckvale::tools {

// True when `line` (one line of Ruckvale.log, with or without its
// "[  time s] " stamp) is the probe's: its text starts with "probe" or with
// "Q" and a digit (a verdict line), or it is indented and follows a line of
// the probe's (`after_probe`: a fighter or let-go ped that fails a test).
bool IsProbeLine(std::string_view line, bool after_probe);

// The text of a log line after its "[  time s] " stamp (all of it when it
// has none).
std::string_view LogLineText(std::string_view line);

// Reads the complete lines the module added to its log since the last call
// and keeps the probe's. A log that shrank was begun afresh (the script
// restarted): it is read again from its start.
class ProbeLogReader {
 public:
  explicit ProbeLogReader(std::string path) : path_(std::move(path)) {}
  // Appends the new probe lines' text (after the stamp) to `lines`.
  void Read(std::vector<std::string>& lines);

 private:
  std::string path_;
  long offset_ = 0;  // the end of the last complete line read
  bool after_probe_ = false;
};

}  // namespace ruckvale::tools
