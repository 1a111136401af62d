#pragma once
// The fixed tables of instrument types and setting choices. Records and the
// configuration file store the value of a choice, never its row.
#include <QStringList>

constexpr int kDevTypeCount = 81;
extern const char *const DevTypeTable[kDevTypeCount];
// The table's text, empty for an index outside it (a damaged configuration).
QString DevTypeText(int type);

// Slices of the type table offered to each instrument (entry value = index).
constexpr int kGen1FirstType = 1, kGen1LastType = 30;
constexpr int kGen2FirstType = 0, kGen2LastType = 31;
constexpr int kAnaFirstType = 32, kAnaLastType = 80;

// A choice list: parallel texts and stored values.
struct ChoiceList {
  const char *const *texts;
  const int *values;
  int count;
  int indexOf(int value) const;  // row holding value, -1 if none
};

extern const ChoiceList InterfaceList;    // GPIB0, GPIB1, RS232, LAN (VXI-11), USB, LAN (socket), LAN (HiSLIP)
extern const ChoiceList SerialPortList;   // COM1..COM4 -> 0..3
extern const ChoiceList BaudrateList;
extern const ChoiceList ParityList;
extern const ChoiceList StopBitsList;     // 1, 1.5, 2 -> 10, 15, 20
extern const ChoiceList FlowControlList;  // list codes 0..3 (not VISA codes)
extern const ChoiceList DetectorList;
extern const ChoiceList UnitList;
extern const ChoiceList SpeedList;
extern const ChoiceList BandwidthList;    // 30 entries, hertz, 0 = Auto
extern const ChoiceList SweepTimeList;    // 14 entries, milliseconds, 0 = Auto

// Connector names of a radio tester type (1, 2, 3, 69, 70, 71); empty for
// every other type. RfPort is the row.
QStringList RfPortTexts(int type);

// USB power-sensor models.
struct PmStr {
  int ProductId;
  const char *Name;
};
constexpr int kPmCount = 84;
extern const PmStr PmTable[kPmCount];

// The flow-control list code as VISA wants it (DTR/DSR is 4 in VISA).
int FlowControlToVisa(int listCode);
