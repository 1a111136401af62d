#include "bench/BenchFile.h"

#include "bench/Models.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace sim {

QByteArray defaultBenchJson() {
  // A GEN-24 generator feeding a band-pass filter into an SPA-59 analyzer,
  // at the addresses of the program's default settings, with an LO source at
  // generator 2's default address and the USB power sensor of the default
  // sensor settings. The latency lets a newcomer watch the points arrive one
  // by one.
  return R"({
  "name": "default",
  "latencyMs": 25,
  "instruments": [
    {"resource": "GPIB0::28::INSTR", "type": 24, "port": "rf"},
    {"resource": "GPIB0::27::INSTR", "type": 24, "port": "lo"},
    {"resource": "GPIB0::20::INSTR", "type": 59},
    {"resource": "USB::0x1209::0x3::100028", "type": 75}
  ],
  "dut": {"kind": "filter", "centerHz": 550e6, "bandwidthHz": 500e6, "order": 3, "insertionLossDb": 2.0}
})";
}

namespace {

bool parsePort(const QJsonObject &o, Port &port) {
  const QString text = o.value(QLatin1String("port")).toString(QStringLiteral("rf"));
  if (text == QLatin1String("rf"))
    port = Port::Rf;
  else if (text == QLatin1String("lo"))
    port = Port::Lo;
  else
    return false;
  return true;
}

}  // namespace

std::unique_ptr<Bench> benchFromJson(const QByteArray &json, QString *error) {
  QJsonParseError parseError;
  const QJsonDocument doc = QJsonDocument::fromJson(json, &parseError);
  if (!doc.isObject()) {
    *error = QStringLiteral("not a JSON object: ") + parseError.errorString();
    return nullptr;
  }
  const QJsonObject root = doc.object();
  auto bench = std::make_unique<Bench>();
  bench->name = root.value(QLatin1String("name")).toString();
  bench->timeoutCapMs = root.value(QLatin1String("timeoutMs")).toInt(0);
  bench->noiseDb = root.value(QLatin1String("noiseDb")).toDouble(0.02);
  bench->seed(unsigned(root.value(QLatin1String("seed")).toInt(1)));
  const int latency = root.value(QLatin1String("latencyMs")).toInt(0);
  const QJsonArray instruments = root.value(QLatin1String("instruments")).toArray();
  for (const QJsonValue &value : instruments) {
    const QJsonObject o = value.toObject();
    const QString resource = o.value(QLatin1String("resource")).toString();
    const int type = o.value(QLatin1String("type")).toInt(-1);
    Port port = Port::Rf;
    if (!parsePort(o, port)) {
      *error = QStringLiteral("%1: port must be \"rf\" or \"lo\"").arg(resource);
      return nullptr;
    }
    std::unique_ptr<Instrument> instrument = makeInstrument(*bench, type, resource, o);
    if (!instrument) {
      *error = QStringLiteral("%1: no simulated instrument of type %2").arg(resource).arg(type);
      return nullptr;
    }
    if (bench->find(resource)) {
      *error = QStringLiteral("%1: two instruments at one address").arg(resource);
      return nullptr;
    }
    instrument->latencyMs = o.value(QLatin1String("latencyMs")).toInt(latency);
    bench->add(resource, std::move(instrument), port);
  }
  std::unique_ptr<Dut> dut = makeDut(root.value(QLatin1String("dut")).toObject(), error);
  if (!dut)
    return nullptr;
  bench->setDut(std::move(dut));
  return bench;
}

std::unique_ptr<Bench> loadBench(const QString &source, QString *error) {
  if (source == QLatin1String("default"))
    return benchFromJson(defaultBenchJson(), error);
  QFile file(source);
  if (!file.open(QIODevice::ReadOnly)) {
    *error = source + QStringLiteral(": ") + file.errorString();
    return nullptr;
  }
  std::unique_ptr<Bench> bench = benchFromJson(file.readAll(), error);
  if (!bench)
    error->prepend(source + QStringLiteral(": "));
  return bench;
}

}  // namespace sim
