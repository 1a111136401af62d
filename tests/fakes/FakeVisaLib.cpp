// Recording fake of a VISA library, in the transcript format and with the
// script rules of tests/support/FakeVisa.h. Built a second time without
// viGpibControlREN (FAKEVISA_WITHOUT_GPIB_REN): an incomplete library.
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
  std::map<std::string, ReplyQueue> replies;  // by resource, "" for any session
  std::map<std::string, ViStatus> failingOpens;
  std::deque<ViUInt16> stbs;
  std::vector<std::string> writes;  // the bytes of every viWrite
  std::map<ViSession, std::pair<ViSession, std::string>> open;  // manager (0 for a manager), resource
  std::set<ViSession> opcPending;                                // the last write asked for *OPC?
  ViSession nextSession = 1;
  ViSession nextManager = 1000;
};

State state;

std::string str(ViSession vi) { return std::to_string(vi); }

// The scripted status of function; a call on session 0 fails.
ViStatus begin(const char *function, ViSession vi) {
  const ViStatus status = state.recorder.scripted(function);
  return status >= 0 && vi == VI_NULL ? VI_ERROR_INV_OBJECT : status;
}

ViStatus plainCall(const char *function, ViSession vi, const std::string &arguments = std::string()) {
  return state.recorder.log(function + (" " + str(vi)) + arguments, begin(function, vi));
}

ViStatus unsupported(const std::string &line) { return state.recorder.log(line, VI_ERROR_NSUP_OPER); }

// The queue that answers the next read of a session: its resource's, then
// the one for any session; null when both are empty.
ReplyQueue *replyQueue(ViSession vi) {
  const auto open = state.open.find(vi);
  if (open != state.open.end() && !state.replies[open->second.second].empty())
    return &state.replies[open->second.second];
  return state.replies[""].empty() ? nullptr : &state.replies[""];
}

// A read takes at most cnt bytes of the reply; the rest stays queued as the
// start of the next reply, and the status says so, as VISA does.
ViStatus takeReply(ViSession vi, ViBuf buf, ViUInt32 cnt, ViUInt32 &got) {
  ReplyQueue *queue = nullptr;
  Reply reply{"1\n", VI_SUCCESS};
  if (!state.opcPending.erase(vi)) {
    queue = replyQueue(vi);
    if (!queue)
      return VI_ERROR_TMO;
    reply = fake::takeFront(*queue, reply);
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

void fakevisa_reset(void) { state = State(); }

void fakevisa_reply(const char *resource, const char *data, size_t length, ViStatus status) {
  state.replies[resource].push_back({std::string(data, length), status});
}

void fakevisa_fail_next(const char *function, ViStatus status) { state.recorder.failNext(function, status); }
void fakevisa_fail_open(const char *resource, ViStatus status) { state.failingOpens[resource] = status; }
void fakevisa_stb(ViUInt16 stb) { state.stbs.push_back(stb); }
const char *fakevisa_transcript(void) { return state.recorder.text(); }

const char *fakevisa_write(size_t index, size_t *length) {
  if (index >= state.writes.size())
    return nullptr;
  *length = state.writes[index].size();
  return state.writes[index].data();
}

ViStatus viOpenDefaultRM(ViPSession vi) {
  const ViStatus status = state.recorder.scripted("viOpenDefaultRM");
  *vi = status >= 0 ? state.nextManager++ : VI_NULL;
  if (status >= 0)
    state.open[*vi] = {0, std::string()};
  return state.recorder.log("viOpenDefaultRM", status, str(*vi));
}

ViStatus viFindRsrc(ViSession sesn, ViConstString expr, ViPFindList, ViPUInt32 retCnt, ViChar[]) {
  const ViStatus status = state.recorder.scripted("viFindRsrc");
  *retCnt = 0;
  return state.recorder.log("viFindRsrc " + str(sesn) + " " + fake::quoted(expr),
                            status ? status : VI_ERROR_RSRC_NFOUND);
}

ViStatus viOpen(ViSession sesn, ViConstRsrc name, ViAccessMode mode, ViUInt32 timeout, ViPSession vi) {
  const std::string rsrc = name ? name : "";
  ViStatus status = state.recorder.scripted("viOpen");
  const auto failing = state.failingOpens.find(rsrc);
  if (status >= 0 && failing != state.failingOpens.end())
    status = failing->second;
  *vi = status >= 0 ? state.nextSession++ : VI_NULL;
  if (status >= 0)
    state.open[*vi] = {sesn, rsrc};
  const std::string line = "viOpen " + str(sesn) + " " + fake::quoted(rsrc) + " " + std::to_string(mode);
  return state.recorder.log(line + " " + std::to_string(timeout), status, str(*vi));
}

ViStatus viWrite(ViSession vi, ViConstBuf buf, ViUInt32 cnt, ViPUInt32 retCnt) {
  const std::string bytes(reinterpret_cast<const char *>(buf), cnt);
  const ViStatus status = begin("viWrite", vi);
  state.writes.push_back(bytes);
  if (retCnt)
    *retCnt = status >= 0 ? cnt : 0;
  if (status >= 0)
    state.opcPending.erase(vi);
  if (status >= 0 && bytes.find("*OPC?") != std::string::npos)
    state.opcPending.insert(vi);
  return state.recorder.log("viWrite " + str(vi) + " " + fake::quoted(bytes), status);
}

ViStatus viRead(ViSession vi, ViBuf buf, ViUInt32 cnt, ViPUInt32 retCnt) {
  ViStatus status = begin("viRead", vi);
  ViUInt32 got = 0;
  if (status >= 0)
    status = takeReply(vi, buf, cnt, got);
  if (retCnt)
    *retCnt = got;
  return state.recorder.log("viRead " + str(vi) + " " + std::to_string(cnt), status,
                            fake::quoted(std::string(reinterpret_cast<char *>(buf), got)));
}

// The loader wants these; the program never calls them.
ViStatus viFindNext(ViFindList vi, ViChar[]) { return unsupported("viFindNext " + str(vi)); }
ViStatus viStatusDesc(ViObject vi, ViStatus, ViChar[]) { return unsupported("viStatusDesc " + str(vi)); }
ViStatus viQueryf(ViSession vi, ViConstString, ViConstString, ...) { return unsupported("viQueryf " + str(vi)); }
ViStatus viPrintf(ViSession vi, ViConstString, ...) { return unsupported("viPrintf " + str(vi)); }
ViStatus viScanf(ViSession vi, ViConstString, ...) { return unsupported("viScanf " + str(vi)); }
ViStatus viReadToFile(ViSession vi, ViConstString, ViUInt32, ViPUInt32) {
  return unsupported("viReadToFile " + str(vi));
}

ViStatus viClear(ViSession vi) { return plainCall("viClear", vi); }

ViStatus viClose(ViObject vi) {
  ViStatus status = state.recorder.scripted("viClose");
  if (status >= 0 && !state.open.erase(vi))
    status = VI_ERROR_INV_OBJECT;
  return state.recorder.log("viClose " + str(vi), status);
}

ViStatus viSetAttribute(ViObject vi, ViAttr attrName, ViAttrState attrValue) {
  return plainCall("viSetAttribute", vi,
                   " " + ::attributeName(attrName).toStdString() + " " + std::to_string(attrValue));
}

// Reads back the resource manager of a session, whatever the attribute: the
// transcript names the one asked for.
ViStatus viGetAttribute(ViObject vi, ViAttr attrName, void *attrValue) {
  ViStatus status = state.recorder.scripted("viGetAttribute");
  const auto open = state.open.find(vi);
  if (status >= 0 && (open == state.open.end() || open->second.first == 0))
    status = VI_ERROR_INV_OBJECT;
  else if (status >= 0)
    *static_cast<ViSession *>(attrValue) = open->second.first;
  return state.recorder.log("viGetAttribute " + str(vi) + " " + ::attributeName(attrName).toStdString(), status,
                            status >= 0 ? str(open->second.first) : std::string());
}

ViStatus viSetBuf(ViSession vi, ViUInt16 mask, ViUInt32 size) {
  return plainCall("viSetBuf", vi, " " + std::to_string(mask) + " " + std::to_string(size));
}

ViStatus viReadSTB(ViSession vi, ViPUInt16 stb) {
  const ViStatus status = begin("viReadSTB", vi);
  if (status >= 0)
    *stb = fake::takeFront(state.stbs, ViUInt16(0));
  return state.recorder.log("viReadSTB " + str(vi), status, status >= 0 ? std::to_string(*stb) : std::string());
}

#ifndef FAKEVISA_WITHOUT_GPIB_REN
ViStatus viGpibControlREN(ViSession vi, ViUInt16 mode) {
  return plainCall("viGpibControlREN", vi, " " + std::to_string(mode));
}
#endif

}  // extern "C"
