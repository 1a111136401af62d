#pragma once
// A HiSLIP instrument: the synchronous channel carries the messages, the
// asynchronous one device clear, the status byte and remote/local control.
#include "visa/HislipMessage.h"
#include "visa/Resource.h"
#include "visa/Transport.h"

#include <memory>

class HislipTransport : public Transport {
public:
  static std::unique_ptr<Transport> connect(const Resource &resource, const IoSettings &io, ViStatus &status,
                                            std::string &reason);
  ~HislipTransport() override;

  ViStatus write(const ViByte *buf, size_t count, const IoSettings &io, size_t &written) override;
  ViStatus read(ViByte *buf, size_t count, const IoSettings &io, size_t &got) override;
  ViStatus clear(const IoSettings &io) override;
  ViStatus readStb(ViUInt16 &stb, const IoSettings &io) override;
  ViStatus controlRen(ViUInt16 mode, const IoSettings &io) override;
  void discardInput() override { pending_.clear(); }

private:
  HislipTransport() = default;
  ViStatus failure(ViStatus status, const IoSettings &io);
  // Sends on the asynchronous channel and waits for the answer of the given type.
  ViStatus asyncRequest(const hislip::Message &request, uint8_t answerType, hislip::Message &answer,
                        const IoSettings &io);

  int sync_ = -1;
  int async_ = -1;
  std::string host_;
  uint32_t messageId_ = hislip::kFirstMessageId;
  uint32_t lastSent_ = hislip::kFirstMessageId - 2;
  bool responseDelivered_ = false;
  std::string pending_;  // received payload not read yet
  bool pendingEnd_ = false;
};
