#include "benchd/HislipServer.h"

#include "benchd/Listener.h"
#include "benchd/Responder.h"
#include "visa/HislipMessage.h"

#include <atomic>
#include <map>
#include <memory>
#include <chrono>
#include <mutex>
#include <thread>

namespace {

constexpr uint16_t kServerVendor = 0x5356;

struct Session {
  std::unique_ptr<Responder> responder;
  // A response went out that the client has not said it read: the status
  // byte shows it as a message available.
  std::atomic<bool> undelivered{false};
  // The message id of the last message the instrument has taken in.
  std::atomic<uint32_t> processed{hislip::kFirstMessageId - 2};
};

// A status query names the last message the client sent; its answer must
// reflect that message, which the synchronous channel may still be handling.
void awaitMessage(const Session &session, uint32_t id) {
  for (int waited = 0; waited < 2000 && session.processed != id; ++waited)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

std::mutex sessionsMutex;
std::map<uint16_t, std::shared_ptr<Session>> sessions;
uint16_t nextSession = 1;

const Deadline never(-1);

void serveSync(int fd, Session &session) {
  hislip::Message m;
  while (hislip::receive(fd, m, never) == VI_SUCCESS) {
    if (m.type == hislip::Data || m.type == hislip::DataEnd) {
      if (m.control & 1)  // the client read the last response
        session.undelivered = false;
      session.responder->write(QByteArray(m.payload.data(), int(m.payload.size())), m.type == hislip::DataEnd);
      const QByteArray response = m.type == hislip::DataEnd ? session.responder->takeQueued() : QByteArray();
      if (!response.isEmpty()) {
        session.undelivered = true;
        hislip::send(fd, {hislip::DataEnd, 0, m.parameter, response.toStdString()}, never);
      }
      session.processed = m.parameter;
    } else if (m.type == hislip::DeviceClearComplete) {
      hislip::send(fd, {hislip::DeviceClearAcknowledge, m.control, 0, {}}, never);
    } else {
      hislip::send(fd, {hislip::Error, 0 /* unrecognized message */, 0, "unexpected message"}, never);
    }
  }
}

void serveAsync(int fd, Session &session) {
  hislip::Message m;
  while (hislip::receive(fd, m, never) == VI_SUCCESS) {
    hislip::Message reply;
    switch (m.type) {
    case hislip::AsyncDeviceClear:
      session.responder->clear();
      session.undelivered = false;
      session.processed = hislip::kFirstMessageId - 2;
      reply = {hislip::AsyncDeviceClearAcknowledge, 0, 0, {}};
      break;
    case hislip::AsyncStatusQuery:
      awaitMessage(session, m.parameter);
      if (m.control & 1)
        session.undelivered = false;
      reply = {hislip::AsyncStatusResponse,
               uint8_t(session.responder->statusByte() | (session.undelivered ? sim::kStbMessageAvailable : 0)), 0,
               {}};
      break;
    case hislip::AsyncRemoteLocalControl:
      if (m.control == 0 || m.control == 2 || m.control == 6)
        session.responder->goToLocal();
      reply = {hislip::AsyncRemoteLocalResponse, 0, 0, {}};
      break;
    case hislip::AsyncMaximumMessageSize:
      reply = {hislip::AsyncMaximumMessageSizeResponse, 0, 0, m.payload};
      break;
    default:
      reply = {hislip::Error, 0, 0, "unexpected message"};
    }
    hislip::send(fd, reply, never);
  }
}

}  // namespace

unsigned HislipServer::start(unsigned port) {
  const int listener = listenOn(port);
  if (listener < 0)
    return 0;
  serveConnections(listener, [this](int fd) { serve(fd); });
  return portOf(listener);
}

void HislipServer::serve(int fd) {
  hislip::Message first;
  if (hislip::receive(fd, first, never) != VI_SUCCESS)
    return;
  if (first.type == hislip::Initialize) {
    sim::Instrument *instrument = bench_.byDevice(QString::fromStdString(first.payload));
    if (!instrument) {
      hislip::send(fd, {hislip::FatalError, 3 /* invalid initialization */, 0, "no such device"}, never);
      return;
    }
    auto session = std::make_shared<Session>();
    session->responder = std::make_unique<Responder>(bench_, *instrument, true);
    uint16_t id = 0;
    {
      std::lock_guard<std::mutex> lock(sessionsMutex);
      id = nextSession++;
      sessions[id] = session;
    }
    hislip::send(fd, {hislip::InitializeResponse, 0, uint32_t(hislip::kProtocolVersion) << 16 | id, {}}, never);
    serveSync(fd, *session);
    std::lock_guard<std::mutex> lock(sessionsMutex);
    sessions.erase(id);
  } else if (first.type == hislip::AsyncInitialize) {
    std::shared_ptr<Session> session;
    {
      std::lock_guard<std::mutex> lock(sessionsMutex);
      auto it = sessions.find(uint16_t(first.parameter));
      if (it != sessions.end())
        session = it->second;
    }
    if (!session) {
      hislip::send(fd, {hislip::FatalError, 3, 0, "no such session"}, never);
      return;
    }
    hislip::send(fd, {hislip::AsyncInitializeResponse, 0, kServerVendor, {}}, never);
    serveAsync(fd, *session);
  }
}
