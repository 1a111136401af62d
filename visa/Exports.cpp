// The C functions of libsolvisa, as the VISA standard names and types them.
// Formatted I/O (viPrintf, viScanf, viQueryf) and viReadToFile are not
// offered: they answer VI_ERROR_NSUP_OPER. Events are never enabled.
#include "instruments/VisaFunctions.h"
#include "visa/StatusText.h"
#include "visa/VisaHost.h"

#include <cstring>

#define SOLVISA_EXPORT __attribute__((visibility("default")))

extern "C" {

SOLVISA_EXPORT ViStatus viOpenDefaultRM(ViPSession vi) { return VisaHost::instance().openDefaultRM(vi); }

SOLVISA_EXPORT ViStatus viFindRsrc(ViSession sesn, ViConstString expr, ViPFindList vi, ViPUInt32 retCnt,
                                   ViChar desc[]) {
  return VisaHost::instance().findRsrc(sesn, expr, vi, retCnt, desc);
}

SOLVISA_EXPORT ViStatus viFindNext(ViFindList vi, ViChar desc[]) { return VisaHost::instance().findNext(vi, desc); }

SOLVISA_EXPORT ViStatus viParseRsrc(ViSession rm, ViConstRsrc name, ViPUInt16 type, ViPUInt16 board) {
  return VisaHost::instance().parseRsrc(rm, name, type, board, nullptr, nullptr);
}

// No aliases exist, so the alias is always empty.
SOLVISA_EXPORT ViStatus viParseRsrcEx(ViSession rm, ViConstRsrc name, ViPUInt16 type, ViPUInt16 board,
                                      ViChar rsrcClass[], ViChar expanded[], ViChar alias[]) {
  if (alias)
    alias[0] = '\0';
  return VisaHost::instance().parseRsrc(rm, name, type, board, rsrcClass, expanded);
}

SOLVISA_EXPORT ViStatus viDisableEvent(ViSession vi, ViUInt32 eventType, ViUInt16 mechanism) {
  return VisaHost::instance().events("viDisableEvent", vi, eventType, mechanism);
}

SOLVISA_EXPORT ViStatus viDiscardEvents(ViSession vi, ViUInt32 eventType, ViUInt16 mechanism) {
  return VisaHost::instance().events("viDiscardEvents", vi, eventType, mechanism);
}

SOLVISA_EXPORT ViStatus viFlush(ViSession vi, ViUInt16 mask) { return VisaHost::instance().flush(vi, mask); }

SOLVISA_EXPORT ViStatus viStatusDesc(ViObject, ViStatus status, ViChar desc[]) {
  if (!desc)
    return VI_ERROR_INV_PARAMETER;
  const QByteArray text = statusDescription(status).left(VI_FIND_BUFLEN - 1);
  std::memcpy(desc, text.constData(), size_t(text.size()) + 1);
  return VI_SUCCESS;
}

SOLVISA_EXPORT ViStatus viOpen(ViSession sesn, ViConstRsrc name, ViAccessMode mode, ViUInt32 timeout,
                               ViPSession vi) {
  return VisaHost::instance().open(sesn, name, mode, timeout, vi);
}

SOLVISA_EXPORT ViStatus viWrite(ViSession vi, ViConstBuf buf, ViUInt32 cnt, ViPUInt32 retCnt) {
  return VisaHost::instance().write(vi, buf, cnt, retCnt);
}

SOLVISA_EXPORT ViStatus viRead(ViSession vi, ViBuf buf, ViUInt32 cnt, ViPUInt32 retCnt) {
  return VisaHost::instance().read(vi, buf, cnt, retCnt);
}

SOLVISA_EXPORT ViStatus viQueryf(ViSession vi, ViConstString, ViConstString, ...) {
  return VisaHost::instance().unsupported("viQueryf", vi);
}

SOLVISA_EXPORT ViStatus viPrintf(ViSession vi, ViConstString, ...) {
  return VisaHost::instance().unsupported("viPrintf", vi);
}

SOLVISA_EXPORT ViStatus viScanf(ViSession vi, ViConstString, ...) {
  return VisaHost::instance().unsupported("viScanf", vi);
}

SOLVISA_EXPORT ViStatus viReadToFile(ViSession vi, ViConstString, ViUInt32, ViPUInt32) {
  return VisaHost::instance().unsupported("viReadToFile", vi);
}

SOLVISA_EXPORT ViStatus viClear(ViSession vi) { return VisaHost::instance().clear(vi); }

SOLVISA_EXPORT ViStatus viClose(ViObject vi) { return VisaHost::instance().close(vi); }

SOLVISA_EXPORT ViStatus viSetAttribute(ViObject vi, ViAttr attrName, ViAttrState attrValue) {
  return VisaHost::instance().setAttribute(vi, attrName, attrValue);
}

SOLVISA_EXPORT ViStatus viGetAttribute(ViObject vi, ViAttr attrName, void *attrValue) {
  return VisaHost::instance().getAttribute(vi, attrName, attrValue);
}

SOLVISA_EXPORT ViStatus viSetBuf(ViSession vi, ViUInt16 mask, ViUInt32 size) {
  return VisaHost::instance().setBuf(vi, mask, size);
}

SOLVISA_EXPORT ViStatus viReadSTB(ViSession vi, ViPUInt16 status) { return VisaHost::instance().readSTB(vi, status); }

SOLVISA_EXPORT ViStatus viGpibControlREN(ViSession vi, ViUInt16 mode) {
  return VisaHost::instance().gpibControlREN(vi, mode);
}

// Not a VISA function: the name of the simulated bench served (its name in
// the bench file, else the SOLVISA_BENCH value), or NULL when there is none,
// so that a program can tell simulated values from measurements.
SOLVISA_EXPORT const char *solvisa_bench_name(void) { return VisaHost::instance().benchName(); }

// Not a VISA function: why the calling thread's last failed call failed, in
// words for the user ("port 5025 refused", "no GPIB driver"); "" when the
// status says all there is.
SOLVISA_EXPORT const char *solvisa_last_reason(void) { return VisaHost::lastReason(); }

}  // extern "C"
