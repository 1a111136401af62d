// Shared by the fake libraries: the call log with its scripted statuses, and
// the text forms of bytes, numbers and VISA codes in transcripts.
#pragma once
#include "instruments/VisaDefs.h"
#include "visa/StatusText.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <deque>
#include <map>
#include <string>
#include <vector>

namespace fake {

// "..." with C escapes, \xHH outside printable ASCII.
inline std::string quoted(const std::string &text) {
  std::string out = "\"";
  for (const char byte : text) {
    const unsigned char c = static_cast<unsigned char>(byte);
    const char *escape = c == '\n' ? "\\n" : c == '\r' ? "\\r" : c == '\t' ? "\\t"
                         : c == '"' ? "\\\"" : c == '\\' ? "\\\\" : nullptr;
    char hex[8] = {static_cast<char>(c), '\0'};
    if (!escape && (c < 0x20 || c >= 0x7F))
      std::snprintf(hex, sizeof hex, "\\x%02X", c);
    out += escape ? escape : hex;
  }
  return out + "\"";
}

// Driver statuses are small numbers and read best in decimal; VISA codes by
// the names that the project's VISA library gives them.
inline std::string statusName(ViStatus status) {
  if (status > -0x10000 && status < 0x10000 && status != VI_SUCCESS)
    return std::to_string(status);
  return ::statusName(status).toStdString();
}

// Shortest exact decimal form, never an exponent.
inline std::string number(double value) {
  char text[400];
  const auto end = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed);
  return end.ec == std::errc() ? std::string(text, end.ptr) : std::string("?");
}

// Takes the next scripted value, or gives none when the script is used up.
template <typename T> T takeFront(std::deque<T> &script, const T &none) {
  if (script.empty())
    return none;
  const T next = script.front();
  script.pop_front();
  return next;
}

class Recorder {
 public:
  // The status scripted for the next call of function, VI_SUCCESS when none.
  ViStatus scripted(const std::string &function) { return takeFront(failures_[function], ViStatus(VI_SUCCESS)); }
  void failNext(const std::string &function, ViStatus status) { failures_[function].push_back(status); }

  // Logs "line -> result": the output of a successful call, then the status
  // name unless VI_SUCCESS; no result part when both are absent.
  ViStatus log(const std::string &line, ViStatus status, const std::string &output = std::string()) {
    std::string result = status < 0 ? std::string() : output;
    if (status != VI_SUCCESS)
      result += (result.empty() ? "" : " ") + statusName(status);
    text_ += (text_.empty() ? "" : "\n") + (result.empty() ? line : line + " -> " + result);
    return status;
  }

  const char *text() const { return text_.c_str(); }

 private:
  std::string text_;  // the lines joined by '\n'
  std::map<std::string, std::deque<ViStatus>> failures_;
};

}  // namespace fake
