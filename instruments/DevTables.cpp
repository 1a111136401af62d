#include "instruments/DevTables.h"

const char *const DevTypeTable[kDevTypeCount] = {
    "None",
    "RTA", "RTB", "RTC",
    "GEN-04", "GEN-05", "GEN-06", "GEN-07", "GEN-08", "GEN-09", "GEN-10", "GEN-11", "GEN-12",
    "GEN-13", "GEN-14", "GEN-15", "GEN-16", "GEN-17", "GEN-18", "GEN-19", "GEN-20", "GEN-21",
    "GEN-22", "GEN-23", "GEN-24", "GEN-25", "GEN-26", "GEN-27", "GEN-28", "GEN-29", "GEN-30",
    "External",
    "RCV-32", "RCV-33", "RCV-34", "RCV-35", "RCV-36", "RCV-37", "RCV-38", "RCV-39", "RCV-40",
    "RCV-41", "RCV-42", "RCV-43", "RCV-44", "RCV-45", "RCV-46", "RCV-47", "RCV-48", "RCV-49",
    "SPA-50", "SPA-51", "SPA-52", "SPA-53", "SPA-54", "SPA-55", "SPA-56", "SPA-57", "SPA-58",
    "SPA-59", "SPA-60", "SPA-61", "SPA-62", "SPA-63", "SPA-64", "SPA-65", "SPA-66", "SPA-67",
    "SPA-68",
    // The radio testers again, this time as the measuring instrument.
    "RTA", "RTB", "RTC",
    "U37xx",
    "PWM", "PWM-74", "PWU", "PWM-76", "PWM-77", "PWM-78", "PWM-79", "PWM-80",
};

QString DevTypeText(int type)
{
  return type >= 0 && type < kDevTypeCount ? QString::fromLatin1(DevTypeTable[type]) : QString();
}

int ChoiceList::indexOf(int value) const
{
  for (int row = 0; row < count; ++row)
    if (values[row] == value)
      return row;
  return -1;
}

namespace {

template <int N>
constexpr ChoiceList makeList(const char *const (&texts)[N], const int (&values)[N])
{
  return ChoiceList{texts, values, N};
}

const char *const kInterfaceTexts[] = {"GPIB0", "GPIB1", "RS232", "LAN (VXI-11)", "USB", "LAN (socket)", "LAN (HiSLIP)"};
const int kInterfaceValues[] = {0, 1, 2, 3, 4, 5, 6};

const char *const kSerialPortTexts[] = {"COM1", "COM2", "COM3", "COM4"};
const int kSerialPortValues[] = {0, 1, 2, 3};

const char *const kBaudrateTexts[] = {"1200", "2400", "4800", "9600", "19200", "38400", "57600", "115200"};
const int kBaudrateValues[] = {1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200};

const char *const kParityTexts[] = {"None", "Odd", "Even", "Mark", "Space"};
const int kParityValues[] = {0, 1, 2, 3, 4};

// Stop bits in VISA's coding: tenths of a bit.
const char *const kStopBitsTexts[] = {"1", "1.5", "2"};
const int kStopBitsValues[] = {10, 15, 20};

const char *const kFlowControlTexts[] = {"OFF", "XON/XOFF", "RTS/CTS", "DTR/DSR"};
const int kFlowControlValues[] = {0, 1, 2, 3};

const char *const kDetectorTexts[] = {"Average", "Peak", "Quasipeak"};
const int kDetectorValues[] = {0, 1, 2};

const char *const kUnitTexts[] = {"dBuV", "dBm"};
const int kUnitValues[] = {0, 1};

const char *const kSpeedTexts[] = {"Slow", "Fast"};
const int kSpeedValues[] = {0, 1};

const char *const kBandwidthTexts[] = {
    "Auto",   "1 Hz",   "2 Hz",   "3 Hz",    "5 Hz",    "10 Hz",   "20 Hz",   "30 Hz",
    "50 Hz",  "100 Hz", "200 Hz", "300 Hz",  "500 Hz",  "1 kHz",   "2 kHz",   "3 kHz",
    "5 kHz",  "10 kHz", "20 kHz", "30 kHz",  "50 kHz",  "100 kHz", "200 kHz", "300 kHz",
    "500 kHz", "1 MHz", "2 MHz",  "3 MHz",   "5 MHz",   "10 MHz"};
const int kBandwidthValues[] = {
    0,     1,      2,      3,      5,      10,      20,      30,
    50,    100,    200,    300,    500,    1000,    2000,    3000,
    5000,  10000,  20000,  30000,  50000,  100000,  200000,  300000,
    500000, 1000000, 2000000, 3000000, 5000000, 10000000};

const char *const kSweepTimeTexts[] = {"Auto",   "1 ms",   "2 ms",   "5 ms", "10 ms", "20 ms", "50 ms",
                                       "100 ms", "200 ms", "500 ms", "1 s",  "2 s",   "5 s",   "10 s"};
const int kSweepTimeValues[] = {0, 1, 2, 5, 10, 20, 50, 100, 200, 500, 1000, 2000, 5000, 10000};

}  // namespace

const ChoiceList InterfaceList = makeList(kInterfaceTexts, kInterfaceValues);
const ChoiceList SerialPortList = makeList(kSerialPortTexts, kSerialPortValues);
const ChoiceList BaudrateList = makeList(kBaudrateTexts, kBaudrateValues);
const ChoiceList ParityList = makeList(kParityTexts, kParityValues);
const ChoiceList StopBitsList = makeList(kStopBitsTexts, kStopBitsValues);
const ChoiceList FlowControlList = makeList(kFlowControlTexts, kFlowControlValues);
const ChoiceList DetectorList = makeList(kDetectorTexts, kDetectorValues);
const ChoiceList UnitList = makeList(kUnitTexts, kUnitValues);
const ChoiceList SpeedList = makeList(kSpeedTexts, kSpeedValues);
const ChoiceList BandwidthList = makeList(kBandwidthTexts, kBandwidthValues);
const ChoiceList SweepTimeList = makeList(kSweepTimeTexts, kSweepTimeValues);

QStringList RfPortTexts(int type)
{
  switch (type) {
  case 1:
    return {"RF1 OUT", "RF2 OUT", "RF3 OUT"};
  case 2:
    return {"RF1 COM", "RF1 OUT", "RF2 COM", "RF3 COM", "RF3 OUT", "RF4 COM"};
  case 3:
    return {"AUX", "RF1", "RF2", "RF3", "RF4", "RF5", "RF6", "RF7", "RF8"};
  case 69:
    return {"RF1 IN", "RF2 IN", "RF4 IN"};
  case 70:
    return {"RF1 COM", "RF2 COM", "RF3 COM", "RF4 COM"};
  case 71:
    return {"RF1", "RF2", "RF3", "RF4", "RF5", "RF6", "RF7", "RF8"};
  default:
    return {};
  }
}

// Listed by series; the last few models were given ids left free earlier.
const PmStr PmTable[kPmCount] = {
    {3, "PSU-1004"}, {4, "PSU-1006"}, {5, "PSU-1008"}, {6, "PSU-1012"},
    {7, "PSU-1018"}, {8, "PSU-1026"}, {9, "PSU-1040"}, {12, "PSU-2004"},
    {13, "PSU-2006"}, {14, "PSU-2008"}, {15, "PSU-2012"}, {16, "PSU-2018"},
    {17, "PSU-2026"}, {18, "PSU-2040"}, {21, "PSU-2050"}, {22, "PSU-3004"},
    {23, "PSU-3006"}, {24, "PSU-3008"}, {25, "PSU-3018"}, {26, "PSU-3026"},
    {27, "PSU-3040"}, {30, "PSU-3050"}, {31, "PSU-3067"}, {32, "PSV-1108"},
    {33, "PSV-1118"}, {34, "PSV-1126"}, {35, "PSV-1140"}, {36, "PSV-2108"},
    {39, "PSV-2118"}, {40, "PSV-2126"}, {41, "PSV-2140"}, {42, "PSV-2150"},
    {43, "PSW-4006"}, {44, "PSW-4008"}, {45, "PSW-4018"}, {48, "PSW-4026"},
    {49, "PSW-4040"}, {50, "PSW-4050"}, {51, "PSW-4067"}, {52, "PSW-4090"},
    {53, "PSW-4106"}, {54, "PSW-4118"}, {57, "PSW-4140"}, {58, "PTR-5004"},
    {59, "PTR-5006"}, {60, "PTR-5008"}, {61, "PTR-5018"}, {62, "PTR-5026"},
    {63, "PTR-5033"}, {66, "PTR-5040"}, {67, "PTR-5050"}, {68, "PTR-5106"},
    {69, "PTR-5118"}, {70, "PTR-5133"}, {71, "PTR-5140"}, {72, "PTR-5206"},
    {75, "PTR-5208"}, {76, "PTR-5218"}, {77, "PTR-5226"}, {78, "PTR-5240"},
    {79, "PTR-5250"}, {80, "PLX-6006"}, {81, "PLX-6008"}, {84, "PLX-6018"},
    {85, "PLX-6026"}, {86, "PLX-6040"}, {87, "PLX-6106"}, {88, "PLX-6118"},
    {89, "PLX-6140"}, {90, "PHF-7040"}, {93, "PHF-7050"}, {94, "PHF-7067"},
    {95, "PHF-7090"}, {96, "PHF-70110"}, {97, "PMX-8004"}, {98, "PMX-8006"},
    {99, "PMX-8008"}, {102, "PMX-8012"}, {103, "PMX-8018"}, {104, "PMX-8026"},
    {10, "PMX-8033"}, {11, "PMX-8040"}, {19, "PMX-8050"}, {20, "PMX-8067"},
};

int FlowControlToVisa(int listCode)
{
  constexpr int kDtrDsrCode = 3, kVisaDtrDsr = 4;
  return listCode == kDtrDsrCode ? kVisaDtrDsr : listCode;
}
