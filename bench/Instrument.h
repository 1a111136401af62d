#pragma once
// A simulated instrument as its remote interface sees it: program messages
// come in, responses queue up in the output queue, errors go into the error
// queue. Every model accepts IEEE 488.2 common commands plus the commands of
// its own class; anything else is answered as an instrument does: nothing is
// sent back and the error queue records why.
#include "bench/Command.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>
#include <functional>

namespace sim {

class Bench;

// Standard event status register bits and status byte bits.
constexpr int kEsrOperationComplete = 1;
constexpr int kEsrQueryError = 4;
constexpr int kEsrExecutionError = 16;
constexpr int kEsrCommandError = 32;
constexpr int kStbErrorQueue = 4;
constexpr int kStbMessageAvailable = 16;
constexpr int kStbEventSummary = 32;

class Instrument {
public:
  struct Identity {
    QString model;   // e.g. "GEN-24"
    QString serial;  // e.g. "SIM000028"
  };
  using Handler = std::function<int(const Command &)>;  // 0 or an error code

  Instrument(Bench &bench, int type, const Identity &identity);
  virtual ~Instrument() = default;
  Instrument(const Instrument &) = delete;
  Instrument &operator=(const Instrument &) = delete;

  int type() const { return type_; }
  // Whether a GPIB secondary address reaches the instrument (-1: none given).
  // Radio testers expose their functions under secondary addresses.
  virtual bool listensAt(int secondary) const { return secondary < 0; }
  QByteArray identification() const;

  // One complete program message (the terminator already removed).
  void receive(const QByteArray &message);
  // The controller addressed the instrument to talk. Meters that deliver a
  // reading whenever they are read put one into the output queue here.
  virtual void addressedToTalk() {}
  QByteArray &outputQueue() { return output_; }
  int statusByte() const;
  void deviceClear();
  void goToLocal() { remote_ = false; }
  bool remote() const { return remote_; }
  const QStringList &errorQueue() const { return errors_; }

  int latencyMs = 0;  // time the instrument needs to answer a query

protected:
  // Registers a program header (upper case, as the class spells it).
  void on(const QByteArray &header, Handler handler);
  // Queues one response unit of the current message.
  void respond(const QByteArray &unit);
  void pushError(int code);
  // Handlers of commands without data: a query answering one unit, and a
  // setting without a value.
  Handler query(std::function<QByteArray()> answer);
  Handler action(std::function<void()> act);
  // Status byte bits of the class's own status reporting.
  virtual int deviceStatusBits() const { return 0; }
  // *CLS clears the class's own event registers too.
  virtual void clearStatus() {}
  // *RST: back to the class's power-on settings (the queues stay).
  virtual void reset() {}
  // How the class splits a message into units and a unit into header and
  // data; SCPI style by default.
  virtual QList<QByteArray> units(const QByteArray &message) const;
  virtual Command parseUnit(const QByteArray &unit) const { return Command::parse(unit); }
  Bench &bench_;

private:
  void registerCommon();
  bool execute(const QByteArray &unit);

  int type_;
  Identity identity_;
  QHash<QByteArray, Handler> handlers_;
  QByteArray output_;
  QList<QByteArray> pending_;  // responses of the message being parsed
  QStringList errors_;
  int esr_ = 0;
  int ese_ = 0;
  bool remote_ = false;
};

}  // namespace sim
