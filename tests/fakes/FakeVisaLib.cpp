// Recording fake of a VISA library. Every call is logged in the transcript
// format of tests/support/FakeVisa.h; reads are answered from the script that
// the test set up through FakeControl.h. Instrument sessions are numbered 1, 2,
// 3, ... and resource managers 1000, 1001, ... in the order they are opened.
// Built twice: once complete, once without viGpibControlREN
// (FAKEVISA_WITHOUT_GPIB_REN) to show that an incomplete library is refused.
#include "FakeControl.h"
#include "FakeText.h"
#include "instruments/VisaFunctions.h"

#include <cstring>

namespace {

struct Reply {
  std::string data;
  ViStatus status;
};
using ReplyQueue = std::deque<Reply>;

constexpr ViSession kFirstSession = 1;
constexpr ViSession kFirstResourceManager = 1000;
const char *const kOpcAnswer = "1\n";

struct State {
  fake::Recorder recorder;
  ReplyQueue anySession;
  std::map<std::string, ReplyQueue> byResource;
  std::map<ViSession, ReplyQueue> bySession;
  std::map<std::string, ViStatus> failingOpens;
  std::deque<ViUInt16> stbs;
  std::map<ViSession, std::string> resourceOf;  // open instrument sessions
  std::map<ViSession, ViSession> managerOf;
  std::map<ViSession, bool> managers;           // open resource managers
  std::map<ViSession, bool> opcPending;         // last write asked for *OPC?
  bool autoOpc = true;
  ViSession nextSession = kFirstSession;
  ViSession nextManager = kFirstResourceManager;
};

State &state()
{
  static State s;
  return s;
}

std::string session(ViSession vi)
{
  return std::to_string(vi);
}

// The queue that answers the next read of a session: its resource's, then
// its own, then the one for any session; null when all are empty.
ReplyQueue *replyQueue(ViSession vi)
{
  State &s = state();
  const auto rsrc = s.resourceOf.find(vi);
  if (rsrc != s.resourceOf.end()) {
    auto it = s.byResource.find(rsrc->second);
    if (it != s.byResource.end() && !it->second.empty())
      return &it->second;
  }
  auto it = s.bySession.find(vi);
  if (it != s.bySession.end() && !it->second.empty())
    return &it->second;
  return s.anySession.empty() ? nullptr : &s.anySession;
}

// A read takes at most cnt bytes of the reply; the rest stays queued as the
// start of the next reply, and the status says so, as VISA does.
ViStatus takeReply(ViSession vi, ViBuf buf, ViUInt32 cnt, ViUInt32 &got)
{
  State &s = state();
  const bool opc = s.opcPending[vi];
  s.opcPending[vi] = false;
  ReplyQueue *queue = nullptr;
  Reply reply{kOpcAnswer, VI_SUCCESS};
  if (!(opc && s.autoOpc)) {
    queue = replyQueue(vi);
    if (!queue)
      return VI_ERROR_TMO;
    reply = queue->front();
    queue->pop_front();
  }
  if (reply.status < 0)
    return reply.status;
  got = static_cast<ViUInt32>(std::min<size_t>(cnt, reply.data.size()));
  std::memcpy(buf, reply.data.data(), got);
  if (got < reply.data.size()) {
    if (queue)
      queue->push_front({reply.data.substr(got), reply.status});
    return VI_SUCCESS_MAX_CNT;
  }
  return reply.status;
}

bool invalid(ViSession vi)
{
  return vi == VI_NULL;
}

}  // namespace

extern "C" {

void fakevisa_reset(void)
{
  state() = State();
}

void fakevisa_reply(int scope, const char *key, const char *data, size_t length, ViStatus status)
{
  State &s = state();
  Reply reply{std::string(data, length), status};
  if (scope == FAKE_RESOURCE)
    s.byResource[key].push_back(reply);
  else if (scope == FAKE_SESSION)
    s.bySession[static_cast<ViSession>(std::stoul(key))].push_back(reply);
  else
    s.anySession.push_back(reply);
}

void fakevisa_fail_next(const char *function, ViStatus status)
{
  state().recorder.failNext(function, status);
}

void fakevisa_fail_open(const char *resource, ViStatus status)
{
  state().failingOpens[resource] = status;
}

void fakevisa_stb(ViUInt16 stb)
{
  state().stbs.push_back(stb);
}

void fakevisa_auto_opc(int on)
{
  state().autoOpc = on != 0;
}

size_t fakevisa_transcript(char *buffer, size_t size)
{
  return state().recorder.copy(buffer, size);
}

ViStatus viOpenDefaultRM(ViPSession vi)
{
  State &s = state();
  ViStatus status = s.recorder.scripted("viOpenDefaultRM");
  *vi = VI_NULL;
  if (status >= 0) {
    *vi = s.nextManager++;
    s.managers[*vi] = true;
  }
  s.recorder.log("viOpenDefaultRM", fake::result(status, std::to_string(*vi)));
  return status;
}

ViStatus viFindRsrc(ViSession sesn, ViConstString expr, ViPFindList, ViPUInt32 retCnt, ViChar desc[])
{
  const std::string line = "viFindRsrc " + session(sesn) + " " + fake::quoted(expr);
  ViStatus status = state().recorder.scripted("viFindRsrc");
  if (status == VI_SUCCESS)
    status = VI_ERROR_RSRC_NFOUND;
  if (retCnt)
    *retCnt = 0;
  if (desc)
    desc[0] = '\0';
  state().recorder.log(line, fake::result(status));
  return status;
}

ViStatus viFindNext(ViFindList vi, ViChar desc[])
{
  ViStatus status = state().recorder.scripted("viFindNext");
  if (status == VI_SUCCESS)
    status = VI_ERROR_RSRC_NFOUND;
  if (desc)
    desc[0] = '\0';
  state().recorder.log("viFindNext " + session(vi), fake::result(status));
  return status;
}

ViStatus viStatusDesc(ViObject vi, ViStatus status, ViChar desc[])
{
  const std::string name = fake::statusName(status);
  std::strncpy(desc, name.c_str(), 255);
  desc[255] = '\0';
  state().recorder.log("viStatusDesc " + session(vi) + " " + name);
  return VI_SUCCESS;
}

ViStatus viOpen(ViSession sesn, ViConstRsrc name, ViAccessMode mode, ViUInt32 timeout, ViPSession vi)
{
  State &s = state();
  const std::string rsrc = name ? name : "";
  const std::string line = "viOpen " + session(sesn) + " " + fake::quoted(rsrc) + " " +
                           std::to_string(mode) + " " + std::to_string(timeout);
  ViStatus status = s.recorder.scripted("viOpen");
  const auto failing = s.failingOpens.find(rsrc);
  if (status >= 0 && failing != s.failingOpens.end())
    status = failing->second;
  if (status >= 0 && !s.managers.count(sesn))
    status = VI_ERROR_INV_OBJECT;
  if (status >= 0 && rsrc.empty())
    status = VI_ERROR_INV_RSRC_NAME;
  *vi = VI_NULL;
  if (status >= 0) {
    *vi = s.nextSession++;
    s.resourceOf[*vi] = rsrc;
    s.managerOf[*vi] = sesn;
  }
  s.recorder.log(line, fake::result(status, std::to_string(*vi)));
  return status;
}

ViStatus viWrite(ViSession vi, ViConstBuf buf, ViUInt32 cnt, ViPUInt32 retCnt)
{
  State &s = state();
  const char *bytes = reinterpret_cast<const char *>(buf);
  ViStatus status = s.recorder.scripted("viWrite");
  if (status >= 0 && invalid(vi))
    status = VI_ERROR_INV_OBJECT;
  if (retCnt)
    *retCnt = status >= 0 ? cnt : 0;
  if (status >= 0)
    s.opcPending[vi] = std::string(bytes, cnt).find("*OPC?") != std::string::npos;
  s.recorder.log("viWrite " + session(vi) + " " + fake::quoted(bytes, cnt), fake::result(status));
  return status;
}

ViStatus viRead(ViSession vi, ViBuf buf, ViUInt32 cnt, ViPUInt32 retCnt)
{
  State &s = state();
  ViStatus status = s.recorder.scripted("viRead");
  ViUInt32 got = 0;
  if (status >= 0 && invalid(vi))
    status = VI_ERROR_INV_OBJECT;
  if (status >= 0) {
    const ViStatus readStatus = takeReply(vi, buf, cnt, got);
    if (status == VI_SUCCESS || readStatus < 0)
      status = readStatus;
  }
  if (retCnt)
    *retCnt = got;
  const std::string data = status >= 0 ? fake::quoted(reinterpret_cast<char *>(buf), got) : "";
  s.recorder.log("viRead " + session(vi) + " " + std::to_string(cnt), fake::result(status, data));
  return status;
}

ViStatus viQueryf(ViSession vi, ViConstString writeFmt, ViConstString readFmt, ...)
{
  state().recorder.log("viQueryf " + session(vi) + " " + fake::quoted(writeFmt) + " " +
                           fake::quoted(readFmt),
                       fake::result(VI_ERROR_NSUP_OPER));
  return VI_ERROR_NSUP_OPER;
}

ViStatus viPrintf(ViSession vi, ViConstString writeFmt, ...)
{
  state().recorder.log("viPrintf " + session(vi) + " " + fake::quoted(writeFmt),
                       fake::result(VI_ERROR_NSUP_OPER));
  return VI_ERROR_NSUP_OPER;
}

ViStatus viScanf(ViSession vi, ViConstString readFmt, ...)
{
  state().recorder.log("viScanf " + session(vi) + " " + fake::quoted(readFmt),
                       fake::result(VI_ERROR_NSUP_OPER));
  return VI_ERROR_NSUP_OPER;
}

ViStatus viReadToFile(ViSession vi, ViConstString filename, ViUInt32 cnt, ViPUInt32 retCnt)
{
  if (retCnt)
    *retCnt = 0;
  state().recorder.log("viReadToFile " + session(vi) + " " + fake::quoted(filename) + " " +
                           std::to_string(cnt),
                       fake::result(VI_ERROR_NSUP_OPER));
  return VI_ERROR_NSUP_OPER;
}

ViStatus viClear(ViSession vi)
{
  ViStatus status = state().recorder.scripted("viClear");
  if (status >= 0 && invalid(vi))
    status = VI_ERROR_INV_OBJECT;
  state().recorder.log("viClear " + session(vi), fake::result(status));
  return status;
}

ViStatus viClose(ViObject vi)
{
  State &s = state();
  ViStatus status = s.recorder.scripted("viClose");
  const bool known = s.resourceOf.count(vi) || s.managers.count(vi);
  if (status >= 0 && !known)
    status = VI_ERROR_INV_OBJECT;
  if (status >= 0) {
    s.resourceOf.erase(vi);
    s.managerOf.erase(vi);
    s.managers.erase(vi);
  }
  s.recorder.log("viClose " + session(vi), fake::result(status));
  return status;
}

ViStatus viSetAttribute(ViObject vi, ViAttr attrName, ViAttrState attrValue)
{
  ViStatus status = state().recorder.scripted("viSetAttribute");
  if (status >= 0 && invalid(vi))
    status = VI_ERROR_INV_OBJECT;
  state().recorder.log("viSetAttribute " + session(vi) + " " + fake::attributeName(attrName) +
                           " " + std::to_string(attrValue),
                       fake::result(status));
  return status;
}

// Only the resource manager of a session can be read back.
ViStatus viGetAttribute(ViObject vi, ViAttr attrName, void *attrValue)
{
  State &s = state();
  ViStatus status = s.recorder.scripted("viGetAttribute");
  std::string output;
  if (status >= 0) {
    const auto manager = s.managerOf.find(vi);
    if (attrName != VI_ATTR_RM_SESSION)
      status = VI_ERROR_NSUP_ATTR;
    else if (manager == s.managerOf.end())
      status = VI_ERROR_INV_OBJECT;
    else {
      *static_cast<ViSession *>(attrValue) = manager->second;
      output = std::to_string(manager->second);
    }
  }
  s.recorder.log("viGetAttribute " + session(vi) + " " + fake::attributeName(attrName),
                 fake::result(status, output));
  return status;
}

ViStatus viSetBuf(ViSession vi, ViUInt16 mask, ViUInt32 size)
{
  ViStatus status = state().recorder.scripted("viSetBuf");
  if (status >= 0 && invalid(vi))
    status = VI_ERROR_INV_OBJECT;
  state().recorder.log("viSetBuf " + session(vi) + " " + std::to_string(mask) + " " +
                           std::to_string(size),
                       fake::result(status));
  return status;
}

// Status bytes come from the script; 0 when none is queued.
ViStatus viReadSTB(ViSession vi, ViPUInt16 status)
{
  State &s = state();
  ViStatus result = s.recorder.scripted("viReadSTB");
  if (result >= 0 && invalid(vi))
    result = VI_ERROR_INV_OBJECT;
  std::string output;
  if (result >= 0) {
    *status = 0;
    if (!s.stbs.empty()) {
      *status = s.stbs.front();
      s.stbs.pop_front();
    }
    output = std::to_string(*status);
  }
  s.recorder.log("viReadSTB " + session(vi), fake::result(result, output));
  return result;
}

#ifndef FAKEVISA_WITHOUT_GPIB_REN
ViStatus viGpibControlREN(ViSession vi, ViUInt16 mode)
{
  ViStatus status = state().recorder.scripted("viGpibControlREN");
  if (status >= 0 && invalid(vi))
    status = VI_ERROR_INV_OBJECT;
  state().recorder.log("viGpibControlREN " + session(vi) + " " + std::to_string(mode),
                       fake::result(status));
  return status;
}
#endif

}  // extern "C"
