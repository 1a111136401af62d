#include "benchd/ServedBench.h"

#include "bench/ResourceName.h"

#include <QRegularExpression>

ServedBench::ServedBench(std::unique_ptr<sim::Bench> bench) : bench_(std::move(bench)) {}

QString ServedBench::gatewayName(const QString &resource) {
  const sim::ResourceName name = sim::parseResourceName(resource);
  QString device = name.instrument.toLower().replace("::", ",");
  if (name.secondary >= 0)
    device += "," + QString::number(name.secondary);
  return device;
}

sim::Instrument *ServedBench::byDevice(const QString &device) const {
  static const QRegularExpression indexed("^(?:inst|hislip)(\\d+)$", QRegularExpression::CaseInsensitiveOption);
  const QStringList all = bench_->resources();
  const auto m = indexed.match(device);
  if (m.hasMatch()) {
    const int index = m.captured(1).toInt();
    return index < all.size() ? bench_->find(all[index]) : nullptr;
  }
  // "gpib0,28" or "gpib0,28,3" (secondary address): back to a VISA name.
  QStringList parts = device.split(',');
  if (parts.size() < 2)
    return nullptr;
  const QString interface = parts.takeFirst().toUpper();
  return bench_->find(interface + "::" + parts.join("::") + "::INSTR");
}

int ServedBench::readTimeoutMs(unsigned requestedMs) const {
  int timeout = int(std::min(requestedMs, 10000u));
  if (bench_->timeoutCapMs > 0)
    timeout = std::min(timeout, bench_->timeoutCapMs);
  return timeout;
}
