// Recording fake of a VISA library: every call is logged in the transcript
// format of tests/support/FakeVisa.h, reads are answered from the script set
// up through FakeControl.h. Built a second time without viGpibControlREN
// (FAKEVISA_WITHOUT_GPIB_REN) to show that an incomplete library is refused.
#include "FakeControl.h"
#include "FakeText.h"
#include "instruments/VisaFunctions.h"

#include <set>

namespace {

struct Reply {
  std::string data;
  ViStatus status;
};
using ReplyQueue = std::deque<Reply>;

struct State {
  fake::Recorder recorder;
  std::map<std::string, ReplyQueue> replies;  // by resource, "#session", "" for any session
  std::map<std::string, ViStatus> failingOpens;
  std::deque<ViUInt16> stbs;
  std::vector<std::string> writes;  // the bytes of every viWrite
  std::map<ViSession, std::pair<ViSession, std::string>> open;  // manager (0 for a manager), resource
  std::set<ViSession> opcPending;                                // the last write asked for *OPC?
  bool autoOpc = true;
  ViSession nextSession = 1;
  ViSession nextManager = 1000;
};

State &state() {
  static State s;
  return s;
}

std::string str(ViSession vi) { return std::to_string(vi); }

// The scripted status of function; a call on session 0 fails.
ViStatus begin(const char *function, ViSession vi) {
  const ViStatus status = state().recorder.scripted(function);
  return status >= 0 && vi == VI_NULL ? VI_ERROR_INV_OBJECT : status;
}

ViStatus plainCall(const char *function, ViSession vi, const std::string &arguments = std::string()) {
  return state().recorder.log(function + (" " + str(vi)) + arguments, begin(function, vi));
}

ViStatus unsupported(const std::string &line) { return state().recorder.log(line, VI_ERROR_NSUP_OPER); }

// The queue that answers the next read of a session: its resource's, then
// its own, then the one for any session; null when all are empty.
ReplyQueue *replyQueue(ViSession vi) {
  State &s = state();
  const auto open = s.open.find(vi);
  const std::string keys[] = {open == s.open.end() ? "#" + str(vi) : open->second.second, "#" + str(vi), ""};
  for (const std::string &key : keys) {
    if (!s.replies[key].empty())
      return &s.replies[key];
  }
  return nullptr;
}

// A read takes at most cnt bytes of the reply; the rest stays queued as the
// start of the next reply, and the status says so, as VISA does.
ViStatus takeReply(ViSession vi, ViBuf buf, ViUInt32 cnt, ViUInt32 &got) {
  State &s = state();
  ReplyQueue *queue = nullptr;
  Reply reply{"1\n", VI_SUCCESS};
  if (!(s.opcPending.erase(vi) && s.autoOpc)) {
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
  if (got == reply.data.size())
    return reply.status;
  if (queue)
    queue->push_front({reply.data.substr(got), reply.status});
  return VI_SUCCESS_MAX_CNT;
}

}  // namespace

extern "C" {

void fakevisa_reset(void) { state() = State(); }

void fakevisa_reply(int scope, const char *key, const char *data, size_t length, ViStatus status) {
  const std::string queue = scope == FAKE_RESOURCE ? key : scope == FAKE_SESSION ? "#" + std::string(key) : "";
  state().replies[queue].push_back({std::string(data, length), status});
}

void fakevisa_fail_next(const char *function, ViStatus status) { state().recorder.failNext(function, status); }
void fakevisa_fail_open(const char *resource, ViStatus status) { state().failingOpens[resource] = status; }
void fakevisa_stb(ViUInt16 stb) { state().stbs.push_back(stb); }
void fakevisa_auto_opc(int on) { state().autoOpc = on != 0; }
size_t fakevisa_transcript(char *buffer, size_t size) { return state().recorder.copy(buffer, size); }

size_t fakevisa_write(size_t index, char *buffer, size_t size) {
  const std::vector<std::string> &writes = state().writes;
  if (index >= writes.size())
    return size_t(-1);
  if (buffer)
    std::memcpy(buffer, writes[index].data(), std::min(size, writes[index].size()));
  return writes[index].size();
}

ViStatus viOpenDefaultRM(ViPSession vi) {
  State &s = state();
  const ViStatus status = s.recorder.scripted("viOpenDefaultRM");
  *vi = status >= 0 ? s.nextManager++ : VI_NULL;
  if (status >= 0)
    s.open[*vi] = {0, std::string()};
  return s.recorder.log("viOpenDefaultRM", status, str(*vi));
}

ViStatus viFindRsrc(ViSession sesn, ViConstString expr, ViPFindList, ViPUInt32 retCnt, ViChar desc[]) {
  const ViStatus status = state().recorder.scripted("viFindRsrc");
  if (retCnt)
    *retCnt = 0;
  if (desc)
    desc[0] = '\0';
  return state().recorder.log("viFindRsrc " + str(sesn) + " " + fake::quoted(expr),
                              status ? status : VI_ERROR_RSRC_NFOUND);
}

ViStatus viFindNext(ViFindList vi, ViChar desc[]) {
  const ViStatus status = state().recorder.scripted("viFindNext");
  if (desc)
    desc[0] = '\0';
  return state().recorder.log("viFindNext " + str(vi), status ? status : VI_ERROR_RSRC_NFOUND);
}

ViStatus viStatusDesc(ViObject vi, ViStatus status, ViChar desc[]) {
  std::snprintf(desc, 256, "%s", fake::statusName(status).c_str());
  return state().recorder.log("viStatusDesc " + str(vi) + " " + desc, VI_SUCCESS);
}

ViStatus viOpen(ViSession sesn, ViConstRsrc name, ViAccessMode mode, ViUInt32 timeout, ViPSession vi) {
  State &s = state();
  const std::string rsrc = name ? name : "";
  ViStatus status = s.recorder.scripted("viOpen");
  const auto failing = s.failingOpens.find(rsrc);
  if (status >= 0 && failing != s.failingOpens.end())
    status = failing->second;
  if (status >= 0 && !(s.open.count(sesn) && s.open[sesn].first == 0))
    status = VI_ERROR_INV_OBJECT;
  if (status >= 0 && rsrc.empty())
    status = VI_ERROR_INV_RSRC_NAME;
  *vi = status >= 0 ? s.nextSession++ : VI_NULL;
  if (status >= 0)
    s.open[*vi] = {sesn, rsrc};
  return s.recorder.log("viOpen " + str(sesn) + " " + fake::quoted(rsrc) + " " + std::to_string(mode) +
                            " " + std::to_string(timeout),
                        status, str(*vi));
}

ViStatus viWrite(ViSession vi, ViConstBuf buf, ViUInt32 cnt, ViPUInt32 retCnt) {
  const std::string bytes(reinterpret_cast<const char *>(buf), cnt);
  const ViStatus status = begin("viWrite", vi);
  state().writes.push_back(bytes);
  if (retCnt)
    *retCnt = status >= 0 ? cnt : 0;
  if (status >= 0)
    state().opcPending.erase(vi);
  if (status >= 0 && bytes.find("*OPC?") != std::string::npos)
    state().opcPending.insert(vi);
  return state().recorder.log("viWrite " + str(vi) + " " + fake::quoted(bytes), status);
}

ViStatus viRead(ViSession vi, ViBuf buf, ViUInt32 cnt, ViPUInt32 retCnt) {
  ViStatus status = begin("viRead", vi);
  ViUInt32 got = 0;
  if (status >= 0) {
    const ViStatus readStatus = takeReply(vi, buf, cnt, got);
    if (status == VI_SUCCESS || readStatus < 0)
      status = readStatus;
  }
  if (retCnt)
    *retCnt = got;
  return state().recorder.log("viRead " + str(vi) + " " + std::to_string(cnt), status,
                              fake::quoted(reinterpret_cast<char *>(buf), got));
}

ViStatus viQueryf(ViSession vi, ViConstString writeFmt, ViConstString readFmt, ...) {
  return unsupported("viQueryf " + str(vi) + " " + fake::quoted(writeFmt) + " " + fake::quoted(readFmt));
}
ViStatus viPrintf(ViSession vi, ViConstString fmt, ...) { return unsupported("viPrintf " + str(vi) + " " + fake::quoted(fmt)); }
ViStatus viScanf(ViSession vi, ViConstString fmt, ...) { return unsupported("viScanf " + str(vi) + " " + fake::quoted(fmt)); }

ViStatus viReadToFile(ViSession vi, ViConstString filename, ViUInt32 cnt, ViPUInt32 retCnt) {
  if (retCnt)
    *retCnt = 0;
  return unsupported("viReadToFile " + str(vi) + " " + fake::quoted(filename) + " " + std::to_string(cnt));
}

ViStatus viClear(ViSession vi) { return plainCall("viClear", vi); }

ViStatus viClose(ViObject vi) {
  State &s = state();
  ViStatus status = s.recorder.scripted("viClose");
  if (status >= 0 && !s.open.erase(vi))
    status = VI_ERROR_INV_OBJECT;
  return s.recorder.log("viClose " + str(vi), status);
}

ViStatus viSetAttribute(ViObject vi, ViAttr attrName, ViAttrState attrValue) {
  return plainCall("viSetAttribute", vi,
                   " " + ::attributeName(attrName).toStdString() + " " + std::to_string(attrValue));
}

// Only the resource manager of a session can be read back.
ViStatus viGetAttribute(ViObject vi, ViAttr attrName, void *attrValue) {
  State &s = state();
  ViStatus status = s.recorder.scripted("viGetAttribute");
  const auto open = s.open.find(vi);
  if (status >= 0 && attrName != VI_ATTR_RM_SESSION)
    status = VI_ERROR_NSUP_ATTR;
  else if (status >= 0 && (open == s.open.end() || open->second.first == 0))
    status = VI_ERROR_INV_OBJECT;
  else if (status >= 0)
    *static_cast<ViSession *>(attrValue) = open->second.first;
  return s.recorder.log("viGetAttribute " + str(vi) + " " + ::attributeName(attrName).toStdString(), status,
                        status >= 0 ? str(open->second.first) : std::string());
}

ViStatus viSetBuf(ViSession vi, ViUInt16 mask, ViUInt32 size) {
  return plainCall("viSetBuf", vi, " " + std::to_string(mask) + " " + std::to_string(size));
}

// Status bytes come from the script; 0 when none is queued.
ViStatus viReadSTB(ViSession vi, ViPUInt16 stb) {
  State &s = state();
  const ViStatus status = begin("viReadSTB", vi);
  if (status >= 0) {
    *stb = s.stbs.empty() ? 0 : s.stbs.front();
    if (!s.stbs.empty())
      s.stbs.pop_front();
  }
  return s.recorder.log("viReadSTB " + str(vi), status, status >= 0 ? std::to_string(*stb) : std::string());
}

#ifndef FAKEVISA_WITHOUT_GPIB_REN
ViStatus viGpibControlREN(ViSession vi, ViUInt16 mode) {
  return plainCall("viGpibControlREN", vi, " " + std::to_string(mode));
}
#endif

}  // extern "C"
