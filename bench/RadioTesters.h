#pragma once
// Radio communication testers: as RF sources (1: "SOUR:RFG", 2 and 3: the
// general-purpose RF generator) and as measuring instruments (69: power
// array, 70 and 71: general-purpose RF measurement). Their functions sit
// under GPIB secondary addresses; "SYST:REM:ADDR:SEC? n" names the function
// at address n, and the signalling function "RF_NSig" answers at one of them.
#include "bench/Analyzers.h"
#include "bench/Generators.h"

namespace sim {

// The primary address and the function addresses 1 to 29 of a tester; at
// address 30 nobody listens.
inline bool testerListensAt(int secondary) { return secondary <= 29; }

class TesterSource : public Generator {
public:
  TesterSource(Bench &bench, int type, const Identity &identity, const QJsonObject &options);
  bool listensAt(int secondary) const override { return testerListensAt(secondary); }
  QByteArray connector() const { return connector_; }

private:
  QByteArray connector_;
  QByteArray route_;
};

class TesterAnalyzer : public TunedReceiver {
public:
  TesterAnalyzer(Bench &bench, int type, const Identity &identity, const QJsonObject &options);
  bool listensAt(int secondary) const override { return testerListensAt(secondary); }
  QByteArray connector() const { return connector_; }

private:
  QByteArray connector_;
  QByteArray route_;
};

}  // namespace sim
