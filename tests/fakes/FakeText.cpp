#include "FakeText.h"

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

static std::string hex(uint32_t value)
{
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", value);
  return text;
}

std::string statusName(ViStatus status)
{
  static const std::map<ViStatus, const char *> names = {
      {VI_SUCCESS, "VI_SUCCESS"},
      {VI_SUCCESS_TERM_CHAR, "VI_SUCCESS_TERM_CHAR"},
      {VI_SUCCESS_MAX_CNT, "VI_SUCCESS_MAX_CNT"},
      {VI_WARN_CONFIG_NLOADED, "VI_WARN_CONFIG_NLOADED"},
      {VI_SUCCESS_DEV_NPRESENT, "VI_SUCCESS_DEV_NPRESENT"},
      {VI_WARN_NSUP_ATTR_STATE, "VI_WARN_NSUP_ATTR_STATE"},
      {VI_ERROR_SYSTEM_ERROR, "VI_ERROR_SYSTEM_ERROR"},
      {VI_ERROR_INV_OBJECT, "VI_ERROR_INV_OBJECT"},
      {VI_ERROR_RSRC_LOCKED, "VI_ERROR_RSRC_LOCKED"},
      {VI_ERROR_RSRC_NFOUND, "VI_ERROR_RSRC_NFOUND"},
      {VI_ERROR_INV_RSRC_NAME, "VI_ERROR_INV_RSRC_NAME"},
      {VI_ERROR_TMO, "VI_ERROR_TMO"},
      {VI_ERROR_NSUP_ATTR, "VI_ERROR_NSUP_ATTR"},
      {VI_ERROR_NSUP_ATTR_STATE, "VI_ERROR_NSUP_ATTR_STATE"},
      {VI_ERROR_ALLOC, "VI_ERROR_ALLOC"},
      {VI_ERROR_INV_SETUP, "VI_ERROR_INV_SETUP"},
      {VI_ERROR_INV_MASK, "VI_ERROR_INV_MASK"},
      {VI_ERROR_IO, "VI_ERROR_IO"},
      {VI_ERROR_NSUP_OPER, "VI_ERROR_NSUP_OPER"},
      {VI_ERROR_INV_MODE, "VI_ERROR_INV_MODE"},
      {VI_ERROR_LIBRARY_NFOUND, "VI_ERROR_LIBRARY_NFOUND"},
  };
  const auto it = names.find(status);
  if (it != names.end())
    return it->second;
  // Driver statuses are small numbers; VISA codes read better in hex.
  if (status > -0x10000 && status < 0x10000)
    return std::to_string(status);
  return hex(static_cast<uint32_t>(status));
}

std::string attributeName(ViAttr attribute)
{
  static const std::map<ViAttr, const char *> names = {
      {VI_ATTR_RSRC_NAME, "VI_ATTR_RSRC_NAME"},
      {VI_ATTR_MAX_QUEUE_LENGTH, "VI_ATTR_MAX_QUEUE_LENGTH"},
      {VI_ATTR_SEND_END_EN, "VI_ATTR_SEND_END_EN"},
      {VI_ATTR_TERMCHAR, "VI_ATTR_TERMCHAR"},
      {VI_ATTR_TMO_VALUE, "VI_ATTR_TMO_VALUE"},
      {VI_ATTR_IO_PROT, "VI_ATTR_IO_PROT"},
      {VI_ATTR_ASRL_BAUD, "VI_ATTR_ASRL_BAUD"},
      {VI_ATTR_ASRL_DATA_BITS, "VI_ATTR_ASRL_DATA_BITS"},
      {VI_ATTR_ASRL_PARITY, "VI_ATTR_ASRL_PARITY"},
      {VI_ATTR_ASRL_STOP_BITS, "VI_ATTR_ASRL_STOP_BITS"},
      {VI_ATTR_ASRL_FLOW_CNTRL, "VI_ATTR_ASRL_FLOW_CNTRL"},
      {VI_ATTR_RD_BUF_OPER_MODE, "VI_ATTR_RD_BUF_OPER_MODE"},
      {VI_ATTR_WR_BUF_OPER_MODE, "VI_ATTR_WR_BUF_OPER_MODE"},
      {VI_ATTR_SUPPRESS_END_EN, "VI_ATTR_SUPPRESS_END_EN"},
      {VI_ATTR_TERMCHAR_EN, "VI_ATTR_TERMCHAR_EN"},
      {VI_ATTR_ASRL_END_IN, "VI_ATTR_ASRL_END_IN"},
      {VI_ATTR_ASRL_END_OUT, "VI_ATTR_ASRL_END_OUT"},
      {VI_ATTR_ASRL_XON_CHAR, "VI_ATTR_ASRL_XON_CHAR"},
      {VI_ATTR_ASRL_XOFF_CHAR, "VI_ATTR_ASRL_XOFF_CHAR"},
      {VI_ATTR_RM_SESSION, "VI_ATTR_RM_SESSION"},
  };
  const auto it = names.find(attribute);
  return it != names.end() ? std::string(it->second) : hex(attribute);
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
