#pragma once
// A VXI-11 instrument (or a device behind a LAN gateway): a link on the
// core channel, found through the portmapper.
#include "visa/Resource.h"
#include "visa/RpcClient.h"
#include "visa/Transport.h"

#include <memory>

class Vxi11Transport : public Transport {
public:
  static std::unique_ptr<Transport> connect(const Resource &resource, const IoSettings &io, ViStatus &status,
                                            std::string &reason);
  ~Vxi11Transport() override;

  ViStatus write(const ViByte *buf, size_t count, const IoSettings &io, size_t &written) override;
  ViStatus read(ViByte *buf, size_t count, const IoSettings &io, size_t &got) override;
  ViStatus clear(const IoSettings &io) override;
  ViStatus readStb(ViUInt16 &stb, const IoSettings &io) override;
  ViStatus controlRen(ViUInt16 mode, const IoSettings &io) override;

private:
  Vxi11Transport() = default;
  ViStatus call(u_long procedure, xdrproc_t in, void *args, xdrproc_t out, void *result, const IoSettings &io);
  ViStatus deviceError(int error);
  ViStatus generic(u_long procedure, const IoSettings &io);

  RpcClient rpc_;
  std::string host_;
  int link_ = 0;
  bool linked_ = false;
  size_t maxWrite_ = 1024;
};
