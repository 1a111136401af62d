#include "visa/HislipTransport.h"

#include "visa/PendingBytes.h"

#include <unistd.h>

namespace {

constexpr uint16_t kClientVendor = 0x5356;  // "SV"

}  // namespace

std::unique_ptr<Transport> HislipTransport::connect(const Resource &resource, const IoSettings &io,
                                                    ViStatus &status, std::string &reason) {
  std::unique_ptr<HislipTransport> t(new HislipTransport);
  t->host_ = resource.host.toStdString();
  t->sync_ = connectTcp(t->host_, resource.port, io.timeoutMs, status, reason);
  if (t->sync_ < 0)
    return nullptr;
  const Deadline deadline(io.timeoutMs);
  hislip::Message init{hislip::Initialize, 0, uint32_t(hislip::kProtocolVersion) << 16 | kClientVendor,
                       resource.device.toStdString()};
  hislip::Message answer;
  status = hislip::send(t->sync_, init, deadline);
  if (status == VI_SUCCESS)
    status = hislip::receive(t->sync_, answer, deadline);
  if (status == VI_SUCCESS && answer.type != hislip::InitializeResponse) {
    status = VI_ERROR_RSRC_NFOUND;
    reason = t->host_ + " has no device " + init.payload;
    return nullptr;
  }
  if (status == VI_SUCCESS) {
    const uint32_t session = answer.parameter & 0xFFFF;
    t->async_ = connectTcp(t->host_, resource.port, io.timeoutMs, status, reason);
    if (t->async_ < 0)
      return nullptr;
    status = t->asyncRequest({hislip::AsyncInitialize, 0, session, {}}, hislip::AsyncInitializeResponse, answer, io);
  }
  if (status != VI_SUCCESS) {
    t->failure(status, io);
    reason = t->reason_;
    return nullptr;
  }
  return t;
}

HislipTransport::~HislipTransport() {
  for (int fd : {sync_, async_})
    if (fd >= 0)
      ::close(fd);
}

ViStatus HislipTransport::failure(ViStatus status, const IoSettings &io) {
  switch (status) {
  case VI_ERROR_TMO:
    return fail(status, "no answer from " + host_ + " within " + secondsText(io.timeoutMs));
  case VI_ERROR_CONN_LOST:
    return fail(status, "connection to " + host_ + " lost");
  default:
    return fail(status, "malformed message from " + host_);
  }
}

ViStatus HislipTransport::asyncRequest(const hislip::Message &request, uint8_t answerType, hislip::Message &answer,
                                       const IoSettings &io) {
  const Deadline deadline(io.timeoutMs);
  ViStatus status = hislip::send(async_, request, deadline);
  while (status == VI_SUCCESS) {
    status = hislip::receive(async_, answer, deadline);
    if (status == VI_SUCCESS && answer.type == answerType)
      return VI_SUCCESS;
    if (status == VI_SUCCESS && (answer.type == hislip::Error || answer.type == hislip::FatalError))
      status = VI_ERROR_IO;
  }
  return failure(status, io);
}

ViStatus HislipTransport::write(const ViByte *buf, size_t count, const IoSettings &io, size_t &written) {
  written = 0;
  const Deadline deadline(io.timeoutMs);
  hislip::Message data{uint8_t(io.sendEnd ? hislip::DataEnd : hislip::Data), uint8_t(responseDelivered_),
                       messageId_, std::string(reinterpret_cast<const char *>(buf), count)};
  const ViStatus status = hislip::send(sync_, data, deadline);
  if (status != VI_SUCCESS)
    return failure(status, io);
  lastSent_ = messageId_;
  messageId_ += 2;
  responseDelivered_ = false;
  pending_.clear();
  written = count;
  return VI_SUCCESS;
}

ViStatus HislipTransport::read(ViByte *buf, size_t count, const IoSettings &io, size_t &got) {
  got = 0;
  const Deadline deadline(io.timeoutMs);
  for (;;) {
    size_t moved = 0;
    const bool atTerm = takePending(pending_, buf + got, count - got, io, moved);
    got += moved;
    if (pending_.empty() && pendingEnd_) {
      pendingEnd_ = false;
      responseDelivered_ = true;
      return VI_SUCCESS;
    }
    if (atTerm)
      return VI_SUCCESS_TERM_CHAR;
    if (got == count)
      return VI_SUCCESS_MAX_CNT;
    hislip::Message message;
    const ViStatus status = hislip::receive(sync_, message, deadline);
    if (status != VI_SUCCESS)
      return failure(status, io);
    if (message.type == hislip::Data || message.type == hislip::DataEnd) {
      // A response to an earlier message that nobody read is stale.
      if (message.parameter != lastSent_)
        continue;
      pending_ += message.payload;
      pendingEnd_ = message.type == hislip::DataEnd;
    } else if (message.type == hislip::Error || message.type == hislip::FatalError) {
      return fail(VI_ERROR_IO, host_ + " reported: " + message.payload);
    }
  }
}

ViStatus HislipTransport::clear(const IoSettings &io) {
  hislip::Message answer;
  ViStatus status = asyncRequest({hislip::AsyncDeviceClear, 0, 0, {}}, hislip::AsyncDeviceClearAcknowledge, answer, io);
  if (status != VI_SUCCESS)
    return status;
  const Deadline deadline(io.timeoutMs);
  status = hislip::send(sync_, {hislip::DeviceClearComplete, answer.control, 0, {}}, deadline);
  // Whatever the instrument had begun to send before the clear is dropped.
  while (status == VI_SUCCESS) {
    status = hislip::receive(sync_, answer, deadline);
    if (status == VI_SUCCESS && answer.type == hislip::DeviceClearAcknowledge)
      break;
  }
  if (status != VI_SUCCESS)
    return failure(status, io);
  messageId_ = hislip::kFirstMessageId;
  lastSent_ = messageId_ - 2;
  responseDelivered_ = false;
  pending_.clear();
  pendingEnd_ = false;
  return VI_SUCCESS;
}

ViStatus HislipTransport::readStb(ViUInt16 &stb, const IoSettings &io) {
  hislip::Message answer;
  const ViStatus status = asyncRequest({hislip::AsyncStatusQuery, uint8_t(responseDelivered_), lastSent_, {}},
                                       hislip::AsyncStatusResponse, answer, io);
  if (status == VI_SUCCESS)
    stb = answer.control;
  return status;
}

ViStatus HislipTransport::controlRen(ViUInt16 mode, const IoSettings &io) {
  hislip::Message answer;
  return asyncRequest({hislip::AsyncRemoteLocalControl, uint8_t(mode), lastSent_, {}},
                      hislip::AsyncRemoteLocalResponse, answer, io);
}
