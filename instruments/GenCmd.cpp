#include "instruments/GenCmd.h"

#include "instruments/CmdFormat.h"
#include "instruments/CmdReply.h"
#include "instruments/TypeSet.h"
#include "instruments/Visa.h"

#include <cmath>
#include <cstdint>

namespace {

// Half rounds up; false for values that no instrument could report.
bool RoundHalfUp(double value, int64_t &rounded) {
  const double r = std::floor(value + 0.5);
  if (!std::isfinite(r) || std::fabs(r) > 9.0e18) return false;
  rounded = static_cast<int64_t>(r);
  return true;
}

bool SameRounded(double a, double b) {
  int64_t ra = 0, rb = 0;
  return RoundHalfUp(a, ra) && RoundHalfUp(b, rb) && ra == rb;
}

}  // namespace

ViStatus GenSetFrq(ViSession s, int type, double hz) {
  if (TypeIn(type, {1})) return CmdQuery(s, "SOUR:RFG:FREQ " + FmtHz(hz) + ";*OPC?\n");
  if (TypeIn(type, {2, 3})) return CmdQuery(s, "SOUR:GPRF:GEN:RFS:FREQ " + FmtHz(hz) + ";*OPC?\n");
  if (TypeIn(type, {Range(4, 11), Range(18, 24), 26, 27, 30}))
    return CmdQuery(s, "FREQ " + FmtFixed(hz, 1) + ";*OPC?\n");
  if (TypeIn(type, {Range(12, 17), 29})) return VisaWrite(s, "RF " + FmtFixed(hz, 1) + "\n");
  if (TypeIn(type, {25, 28})) return CmdQuery(s, "SOUR2:FREQ " + FmtFixed(hz, 1) + ";*OPC?\n");
  return VI_SUCCESS;
}

ViStatus GenGetFrq(ViSession s, int type, double &hz) {
  if (TypeIn(type, {1})) return CmdQueryNum(s, "SOUR:RFG:FREQ?\n", hz);
  if (TypeIn(type, {2, 3})) return CmdQueryNum(s, "SOUR:GPRF:GEN:RFS:FREQ?\n", hz);
  if (TypeIn(type, {Range(4, 11), Range(18, 24), 26, 27, 30})) return CmdQueryNum(s, "FREQ?\n", hz);
  if (TypeIn(type, {Range(12, 17), 29})) {
    // The short command set answers a word and the number: "RF 100000000.0".
    QString reply;
    const ViStatus status = VisaQuery(s, "RF?\n", reply);
    if (status != VI_SUCCESS) return status;
    ReplyScanner scan(reply);
    return scan.word() && scan.number(hz) ? VI_SUCCESS : kErrNoNumber;
  }
  if (TypeIn(type, {25, 28})) return CmdQueryNum(s, "SOUR2:FREQ?\n", hz);
  return VI_SUCCESS;
}

int GenChkFrq(ViSession s, int type, double hz) {
  if (s == 0) return 0;
  if (GenSetFrq(s, type, hz) != VI_SUCCESS) return -1;
  double readBack = 0.0;
  if (GenGetFrq(s, type, readBack) != VI_SUCCESS) return -1;
  return SameRounded(readBack, hz) ? 0 : -1;
}

ViStatus GenSetLvl(ViSession s, int type, double dbm) {
  const QString level = FmtG6(dbm);
  if (TypeIn(type, {1})) return CmdQuery(s, "SOUR:RFG:LEV " + level + ";*OPC?\n");
  if (TypeIn(type, {2, 3})) return CmdQuery(s, "SOUR:GPRF:GEN:RFS:LEV " + level + ";*OPC?\n");
  if (TypeIn(type, {4, 5})) return CmdQuery(s, "POW:POW " + level + ";*OPC?\n");
  if (TypeIn(type, {Range(6, 11), Range(18, 24), 26, 27, 30}))
    return CmdQuery(s, "POW " + level + ";*OPC?\n");
  if (TypeIn(type, {Range(12, 17), 29})) return CmdQuery(s, "L " + level + ";*OPC?\n");
  if (TypeIn(type, {25, 28})) return CmdQuery(s, "SOUR2:POW " + level + ";*OPC?\n");
  // Tracking generators of the analyzers.
  if (TypeIn(type, {33, 40, 46, 57, 58, 59, 60, 65}))
    return CmdQuery(s, "SOUR:POW " + level + "dBm;*OPC?\n");
  // This one is set by its attenuation below 0 dBm (0.0 - level: never "-0").
  if (TypeIn(type, {53})) return CmdQuery(s, "SOUR:TG:ATT " + FmtG6(0.0 - dbm) + ";*OPC?\n");
  return VI_SUCCESS;
}

ViStatus GenGetLvl(ViSession s, int type, double &dbm) {
  if (TypeIn(type, {1})) return CmdQueryNum(s, "SOUR:RFG:LEV?\n", dbm);
  if (TypeIn(type, {2, 3})) return CmdQueryNum(s, "SOUR:GPRF:GEN:RFS:LEV?\n", dbm);
  if (TypeIn(type, {4, 5})) return CmdQueryNum(s, "POW:POW?\n", dbm);
  if (TypeIn(type, {Range(6, 11), Range(18, 24), 26, 27, 30})) return CmdQueryNum(s, "POW?\n", dbm);
  if (TypeIn(type, {Range(12, 17), 29})) return CmdQueryNum(s, "L?\n", dbm);
  if (TypeIn(type, {25, 28})) return CmdQueryNum(s, "SOUR2:POW?\n", dbm);
  if (TypeIn(type, {33, 40, 46, 57, 58, 59, 60, 65})) return CmdQueryNum(s, "SOUR:POW?\n", dbm);
  return VI_SUCCESS;
}

int GenChkLvl(ViSession s, int type, double dbm) {
  if (s == 0) return 0;
  if (GenSetLvl(s, type, dbm) != VI_SUCCESS) return -1;
  double readBack = 0.0;
  if (GenGetLvl(s, type, readBack) != VI_SUCCESS) return -1;
  // The level read back must match to a thousandth of a dB.
  return SameRounded(readBack * 1000.0, dbm * 1000.0) ? 0 : -1;
}

bool AnaHasTrkGen(int type) { return TypeIn(type, {33, 40, 46, 53, 57, 58, 59, 60, 65}); }

ViStatus GenRfOut(ViSession s, int type, bool on) {
  if (TypeIn(type, {1})) return VisaWrite(s, on ? "INIT:RFG\n" : "ABORT:RFG\n");
  if (TypeIn(type, {2, 3})) return CmdQuery(s, "SOUR:GPRF:GEN:STAT " + FmtOnOff(on) + ";*OPC?\n");
  if (TypeIn(type, {Range(5, 9), 11, 18, 19, 24, 27})) return VisaWrite(s, ":OUTP " + FmtOnOff(on) + "\n");
  if (TypeIn(type, {10, Range(20, 23), 26, 30})) return CmdQuery(s, "OUTP1 " + FmtOnOff(on) + ";*OPC?\n");
  if (TypeIn(type, {Range(12, 14)})) return VisaWrite(s, "LEV:" + FmtOnOff(on) + "\n");
  if (TypeIn(type, {Range(15, 17), 29})) return VisaWrite(s, "L:" + FmtOnOff(on) + "\n");
  if (TypeIn(type, {25, 28})) return VisaWrite(s, ":OUTP2 " + FmtOnOff(on) + "\n");
  return VI_SUCCESS;  // 4 has no output switch; 31 is not under control
}

ViStatus SetRefOsc(ViSession s, int type, int external) {
  const bool ext = external != 0;
  if (TypeIn(type, {Range(5, 11), Range(18, 24), 26, 27, 30, 33, 36, 40, 42, Range(46, 48),
                    Range(52, 54), Range(56, 62), 65, 66})) {
    const int times = TypeIn(type, {46, 57}) ? 3 : 1;  // these two analyzers get it three times
    ViStatus status = VI_SUCCESS;
    for (int i = 0; i < times; ++i) status = VisaWrite(s, QString("ROSC:SOUR ") + (ext ? "EXT\n" : "INT\n"));
    return status;
  }
  if (TypeIn(type, {25, 28})) return VisaWrite(s, QString("ROSC:SOUR2 ") + (ext ? "EXT\n" : "INT\n"));
  if (TypeIn(type, {32, 37})) return VisaWrite(s, ext ? "REFE E" : "REFE I");  // no terminator
  if (TypeIn(type, {72})) return VisaWrite(s, ext ? "RFE\n" : "RFI\n");
  return VI_SUCCESS;
}
