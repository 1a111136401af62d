#pragma once
// The records that describe one instrument and the analyzer's receiver and
// spectrum-analyzer settings. They live here rather than with the settings
// record because the instrument layer takes them by reference and must not
// depend on anything above it.
#include <QString>
#include <cstdint>

struct DevStr {
  int DevNo = 0;
  double StartFreq = 0.0;   // MHz
  double StopFreq = 0.0;    // MHz
  double CenterFreq = 0.0;  // MHz
  double SpanFreq = 0.0;    // MHz
  double StartLevel = 0.0;  // dBm
  double StopLevel = 0.0;   // dBm
  double StepLevel = 0.0;   // dB
  int RfPort = 0;
  int RtcNo = 1;
  int Interface = 0;
  int GpibAddress = 0;
  int SerialPort = 0;
  int Baudrate = 115200;
  int Parity = 0;
  int DataBits = 8;
  int FlowControl = 0;
  int StopBits = 10;
  int ProductId = 0;
  int SerialNo = 0;
  QString IpAddress;
  QString VisaResourceString;
  uint32_t Session = 0;  // open VISA session or sensor-driver handle; 0 = not open
  // What Session was opened for. An edit of the type or the address leaves
  // the old session open until it is closed by the type it belongs to;
  // SessionType -1 means the session was not opened by DevOpen (Type applies).
  int SessionType = -1;
  QString SessionRsrc;
  int Type = 0;          // index into DevTypeTable
  int ExtRef = 0;
  int PwxxAutoAveraging = 1;
  int PwxxManualAveraging = 1;
  int PwxxResolution = 3;
  int PwxxCount = 4;
  QString Idn;
  bool TrackingGenerator = false;
  bool Reset = false;
  bool QueryIdn = false;
};

struct RcxStr {
  int RecAttenuation = 0;  // dB
  int RecIbw = 0;
  int RecDetector = 0;
  int RecUnitsDbm = 1;
  bool RecAutoAtt = true;
};

struct SpxStr {
  double RefLevel = 0.0;   // dBm
  double Rbw = 0.0;        // Hz, 0 = automatic
  double Vbw = 0.0;        // Hz, 0 = automatic
  double SweepTime = 0.0;  // ms (value of the sweep-time list), 0 = automatic
  int RbwI = 0;
  int VbwI = 0;
  int Fast = 1;
};
