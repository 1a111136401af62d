// Text helpers shared by the fake libraries: the escaped form of bytes and
// the names of VISA codes used in transcripts.
#pragma once
#include "instruments/VisaDefs.h"

#include <deque>
#include <map>
#include <string>
#include <vector>

namespace fake {

std::string quoted(const char *data, size_t length);  // "..." with C-style escapes
std::string quoted(const std::string &text);
std::string statusName(ViStatus status);
std::string attributeName(ViAttr attribute);
std::string number(double value);  // shortest exact decimal form, never exponent

// A call log and the scripted statuses of the next calls, per function name.
class Recorder {
 public:
  void clear();
  // Status scripted for the next call of function, or 0 when none.
  ViStatus scripted(const std::string &function);
  void failNext(const std::string &function, ViStatus status);
  // Logs "line", or "line -> result" when result is not empty.
  void log(const std::string &line, const std::string &result = std::string());
  size_t copy(char *buffer, size_t size) const;

 private:
  std::vector<std::string> lines_;
  std::map<std::string, std::deque<ViStatus>> failures_;
};

// The result part of a line: the output when the call succeeded and has one,
// followed by the status name when the status is not VI_SUCCESS.
std::string result(ViStatus status, const std::string &output = std::string());

}  // namespace fake
