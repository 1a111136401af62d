#include "visa/Discovery.h"

#include "visa/UsbtmcTransport.h"
#include "visa/Vxi11Discovery.h"

#include <QDir>
#include <QFile>

namespace {

// Serial ports that exist: the on-board ports as ASRLn (ttyS0 is ASRL1)
// when the driver found a UART there (type 0: none), adapters by their
// device path.
QStringList serialPorts() {
  QStringList found;
  const QDir dev("/dev");
  for (const QString &name : dev.entryList({"ttyS*", "ttyUSB*", "ttyACM*"}, QDir::System, QDir::Name)) {
    if (name.startsWith("ttyS")) {
      QFile type("/sys/class/tty/" + name + "/type");
      if (type.open(QIODevice::ReadOnly) && type.readAll().trimmed().toInt() != 0)
        found << "ASRL" + QString::number(name.mid(4).toInt() + 1) + "::INSTR";
    } else {
      found << "ASRL/dev/" + name + "::INSTR";
    }
  }
  return found;
}

}  // namespace

QStringList discoverResources() { return serialPorts() + findUsbtmcDevices() + findVxi11Instruments(); }
