#include "FakeText.h"

#include "visa/StatusText.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstring>

namespace fake {

std::string quoted(const char *data, size_t length)
{
  std::string out = "\"";
  for (size_t i = 0; i < length; ++i) {
    const unsigned char c = static_cast<unsigned char>(data[i]);
    switch (c) {
    case '\n': out += "\\n"; break;
    case '\r': out += "\\r"; break;
    case '\t': out += "\\t"; break;
    case '"': out += "\\\""; break;
    case '\\': out += "\\\\"; break;
    default:
      if (c >= 0x20 && c < 0x7F) {
        out += static_cast<char>(c);
      } else {
        char hex[8];
        std::snprintf(hex, sizeof hex, "\\x%02X", c);
        out += hex;
      }
    }
  }
  return out + "\"";
}

std::string quoted(const std::string &text)
{
  return quoted(text.data(), text.size());
}

// Driver statuses are small numbers and read best in decimal; VISA codes by
// the names that the project's VISA library gives them.
std::string statusName(ViStatus status)
{
  if (status > -0x10000 && status < 0x10000 && status != VI_SUCCESS)
    return std::to_string(status);
  return ::statusName(status).toStdString();
}

std::string attributeName(ViAttr attribute)
{
  return ::attributeName(attribute).toStdString();
}

std::string number(double value)
{
  char text[400];
  const auto end = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed);
  return end.ec == std::errc() ? std::string(text, end.ptr) : std::string("?");
}

void Recorder::clear()
{
  lines_.clear();
  failures_.clear();
}

ViStatus Recorder::scripted(const std::string &function)
{
  auto it = failures_.find(function);
  if (it == failures_.end() || it->second.empty())
    return VI_SUCCESS;
  const ViStatus status = it->second.front();
  it->second.pop_front();
  return status;
}

void Recorder::failNext(const std::string &function, ViStatus status)
{
  failures_[function].push_back(status);
}

void Recorder::log(const std::string &line, const std::string &result)
{
  lines_.push_back(result.empty() ? line : line + " -> " + result);
}

size_t Recorder::copy(char *buffer, size_t size) const
{
  std::string all;
  for (const std::string &line : lines_) {
    if (!all.empty())
      all += '\n';
    all += line;
  }
  if (buffer && size > 0) {
    const size_t n = std::min(size - 1, all.size());
    std::memcpy(buffer, all.data(), n);
    buffer[n] = '\0';
  }
  return all.size();
}

std::string result(ViStatus status, const std::string &output)
{
  if (status < 0 || output.empty())
    return status == VI_SUCCESS ? std::string() : statusName(status);
  return status == VI_SUCCESS ? output : output + " " + statusName(status);
}

}  // namespace fake
