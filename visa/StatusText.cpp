#include "visa/StatusText.h"

namespace {

struct Entry {
  ViStatus status;
  const char *name;
  const char *text;
};

const Entry kStatuses[] = {
    {VI_SUCCESS, "VI_SUCCESS", "Operation completed successfully."},
    {VI_SUCCESS_TERM_CHAR, "VI_SUCCESS_TERM_CHAR", "The specified termination character was read."},
    {VI_SUCCESS_MAX_CNT, "VI_SUCCESS_MAX_CNT", "The number of bytes read is equal to the input count."},
    {VI_WARN_CONFIG_NLOADED, "VI_WARN_CONFIG_NLOADED", "The specified configuration was not loaded."},
    {VI_ERROR_SYSTEM_ERROR, "VI_ERROR_SYSTEM_ERROR", "Unknown system error."},
    {VI_ERROR_INV_OBJECT, "VI_ERROR_INV_OBJECT", "The given session or object reference is invalid."},
    {VI_ERROR_RSRC_NFOUND, "VI_ERROR_RSRC_NFOUND", "Insufficient location information or resource not present."},
    {VI_ERROR_INV_RSRC_NAME, "VI_ERROR_INV_RSRC_NAME", "Invalid resource reference specified."},
    {SOLVISA_ERROR_INV_EXPR, "VI_ERROR_INV_EXPR", "Invalid expression specified for search."},
    {VI_ERROR_TMO, "VI_ERROR_TMO", "Timeout expired before operation completed."},
    {VI_ERROR_NSUP_ATTR, "VI_ERROR_NSUP_ATTR", "The specified attribute is not defined by the referenced object."},
    {VI_ERROR_NSUP_ATTR_STATE, "VI_ERROR_NSUP_ATTR_STATE", "The specified state of the attribute is not valid."},
    {SOLVISA_ERROR_ATTR_READONLY, "VI_ERROR_ATTR_READONLY", "The specified attribute is read-only."},
    {VI_ERROR_INV_MASK, "VI_ERROR_INV_MASK", "Invalid buffer mask specified."},
    {VI_ERROR_IO, "VI_ERROR_IO", "Could not perform operation because of I/O error."},
    {VI_ERROR_NSUP_OPER, "VI_ERROR_NSUP_OPER", "The given session does not support this operation."},
    {VI_ERROR_INV_MODE, "VI_ERROR_INV_MODE", "Invalid mode specified."},
};

struct AttrEntry {
  ViAttr attr;
  const char *name;
};

const AttrEntry kAttributes[] = {
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

QByteArray hex(quint32 value) { return "0x" + QByteArray::number(value, 16).toUpper(); }

}  // namespace

QByteArray statusName(ViStatus status) {
  for (const Entry &e : kStatuses)
    if (e.status == status)
      return e.name;
  return hex(quint32(status));
}

QByteArray statusDescription(ViStatus status) {
  for (const Entry &e : kStatuses)
    if (e.status == status)
      return QByteArray(e.name) + ": " + e.text;
  return hex(quint32(status)) + ": Unknown status code.";
}

QByteArray attributeName(ViAttr attribute) {
  for (const AttrEntry &e : kAttributes)
    if (e.attr == attribute)
      return e.name;
  return hex(attribute);
}
