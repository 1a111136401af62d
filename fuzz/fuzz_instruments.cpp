// The command parsers of the simulated instruments: the first byte picks
// the device type, every following line is one program message; a line
// starting with a control byte reads the answer, polls or clears instead.
#include "bench/Bench.h"
#include "bench/Models.h"
#include "fuzz/FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
  FuzzScratchDir();
  FuzzInput input(data, size);
  const int type = input.byte() % 81;
  sim::Bench bench;
  auto instrument = sim::makeInstrument(bench, type, QStringLiteral("GPIB0::20::INSTR"), QJsonObject());
  if (!instrument)
    return 0;
  sim::Instrument &device = *instrument;
  while (!input.empty()) {
    const QByteArray message = input.line();
    switch (message.isEmpty() ? 0 : message[0]) {
    case 1:
      device.addressedToTalk();
      device.outputQueue().clear();
      break;
    case 2:
      device.statusByte();
      break;
    case 3:
      device.deviceClear();
      break;
    default:
      device.receive(message);
    }
  }
  return 0;
}
