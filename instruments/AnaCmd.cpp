#include "instruments/AnaCmd.h"

#include "instruments/CmdFormat.h"
#include "instruments/CmdReply.h"
#include "instruments/PwuDriver.h"
#include "instruments/TypeSet.h"
#include "instruments/Visa.h"

#include <initializer_list>

namespace {

// The sweep-time list holds milliseconds; every analyzer takes a bare
// number as seconds, and reads its sweep time back in seconds.
QString SweepSeconds(double sweepTimeMs) { return FmtG6(sweepTimeMs / 1000.0); }

// Writes the commands in order; the first failure ends the list.
ViStatus WriteAll(ViSession s, std::initializer_list<QString> commands) {
  for (const QString &cmd : commands) {
    const ViStatus status = VisaWrite(s, cmd);
    if (status != VI_SUCCESS) return status;
  }
  return VI_SUCCESS;
}

// Spectrum analyzers and receivers with zero span. Only the sweep time's
// status is reported.
ViStatus SetupZeroSpan(const DevStr &ana, const SpxStr &spx) {
  const ViSession s = ana.Session;
  const int type = ana.Type;
  if (TypeIn(type, {33, 36, 40, 42, 46, 49, 50, 52, 53, 61, 62, 63, 64, 66, 68}))
    CmdQuery(s, "INST SAN;*OPC?\n");
  if (ana.TrackingGenerator)
    CmdQuery(s, TypeIn(type, {53, 66}) ? "INST NAN;*OPC?\n" : "INST NET;*OPC?\n");
  ViStatus unit = VisaWrite(s, type == 72 ? "AUNITS DBM\n" : "DET RMS\n");
  if (type != 72 && unit == VI_SUCCESS) unit = VisaWrite(s, "UNIT:POW DBM\n");
  if (unit == VI_SUCCESS && AnaSetRefLvl(s, type, spx.RefLevel) == VI_SUCCESS) AnaSetSpan(s, type, 0.0);
  AnaSetRbw(s, type, spx.Rbw);
  AnaSetVbw(s, type, spx.Vbw, ana.TrackingGenerator);
  const ViStatus result = AnaSetSwt(s, type, spx.SweepTime);
  if (TypeIn(type, {42, 46, 57}) && spx.Fast == 0) {
    VisaWrite(s, "INP:GAIN:STAT ON\n");
    VisaWrite(s, "DET SAMP\n");
  }
  return result;
}

// Receivers of command set B; they report the attenuation and IF bandwidth
// they took back into the receiver settings.
ViStatus SetupReceiverB(const DevStr &ana, RcxStr &rcx) {
  const ViSession s = ana.Session;
  const int type = ana.Type;
  ViStatus status = VisaWrite(s, "H OF\n");
  if (status == VI_SUCCESS) status = AnaSetAtt(s, type, rcx.RecAttenuation, rcx.RecAutoAtt);
  if (status == VI_SUCCESS) status = AnaSetIbw(s, type, rcx.RecIbw);
  if (status == VI_SUCCESS) {
    const QString speed = TypeIn(type, {38, 44}) ? "25" : "20";
    status = VisaWrite(s, "SPE " + speed + "," + (rcx.RecUnitsDbm != 0 ? "ON" : "OFF") + "\n");
  }
  if (status == VI_SUCCESS) status = AnaSetDet(s, type, rcx.RecDetector);
  return status;
}

ViStatus SetupPowerMeter(const DevStr &ana) {
  const ViSession s = ana.Session;
  ViStatus status = WriteAll(s, {"UNIT:POW DBM\n", "SENS:FUNC \"POW:AVG\"\n"});
  if (status != VI_SUCCESS) return status;
  if (ana.PwxxAutoAveraging != 0) {
    status = WriteAll(s, {"SENS:AVER:COUN:AUTO ON\n", "SENS:AVER:COUN:AUTO:TYPE RES\n",
                          "SENS:AVER:COUN:AUTO:RES " + QString::number(ana.PwxxResolution) + "\n"});
  } else {
    status = WriteAll(s, {"SENS:AVER:COUN " + QString::number(ana.PwxxCount) + "\n",
                          "SENS:AVER:COUN:AUTO OFF\n"});
  }
  if (status != VI_SUCCESS) return status;
  return WriteAll(s, {"SENS:AVER:TCON REP\n", "INIT:CONT OFF\n"});
}

}  // namespace

ViStatus AnaSetup(DevStr &ana, SpxStr &spx, RcxStr &rcx) {
  const int type = ana.Type;
  const ViSession s = ana.Session;
  if (TypeIn(type, {32, 33, 36, 37, 40, 42, Range(46, 66), 68, 72})) return SetupZeroSpan(ana, spx);
  if (TypeIn(type, {34, 35, 38, 39, 41, 43, 44, 45})) return SetupReceiverB(ana, rcx);
  if (TypeIn(type, {73, 74})) return SetupPowerMeter(ana);
  // The USB sensor's handle is no VISA session: nothing to switch over there.
  if (TypeIn(type, {75})) return PwuSetup(ana);
  if (TypeIn(type, {0})) return ana.TrackingGenerator ? VisaWrite(s, "INST SAN\n") : VI_SUCCESS;
  if (TypeIn(type, {76})) {
    for (const char *cmd : {":TRG:SOUR EXT\n", ":SENS1:FUNC:OFF:ALL1\n", ":SENS1 \"POW:REFL\"\n",
                            ":UNIT1:POW:REFL RL;*WAI\n"})
      VisaWrite(s, cmd);
    return VI_SUCCESS;
  }
  if (TypeIn(type, {77}))
    return WriteAll(s, {"INP:NSEL 1\n", "AMPL:RANG:AUTO ON\n", "CALC:FILT:AUTO ON\n", "AMPL:ATT 0.0\n",
                        "POW:UNIT DBM\n", "AMPL:UNIT DBM\n"});
  if (TypeIn(type, {78, 80})) return VisaWrite(s, "C1, W8, N1, Q3, U1, KF1, X3\n");
  if (TypeIn(type, {79})) return VisaWrite(s, "C1, N1, Q3, U1, KF1, X3\n");
  return VI_SUCCESS;  // generators, 67 and the radio testers (routed when opened)
}

ViStatus AnaSetRefLvl(ViSession s, int type, double dbm) {
  if (TypeIn(type, {32, 37})) return VisaWrite(s, "LE:RE " + FmtFixed(dbm, 6) + "\n");
  if (TypeIn(type, {33, 36, 40, 42, Range(46, 66)}))
    return CmdQuery(s, "DISP:WIND1:TRAC:Y:RLEV " + FmtFixed(dbm, 3) + ";*OPC?\n");
  if (TypeIn(type, {68})) return CmdQuery(s, "DISP:TRAC:Y:RLEV " + FmtFixed(dbm, 3) + ";*OPC?\n");
  if (TypeIn(type, {72})) return VisaWrite(s, "RL " + FmtFixed(dbm, 3) + "\n");
  return VI_SUCCESS;
}

ViStatus AnaSetSpan(ViSession s, int type, double hz) {
  if (TypeIn(type, {32, 37})) return VisaWrite(s, hz == 0.0 ? QString("SP Z\n") : "SP " + FmtFixed(hz, 1) + "\n");
  if (TypeIn(type, {33, 36, 40, 42, Range(46, 68)}))
    return CmdQuery(s, "FREQ:SPAN " + FmtFixed(hz, 1) + ";*OPC?\n");
  if (TypeIn(type, {72})) return VisaWrite(s, "SP " + FmtFixed(hz, 1) + "\n");
  return VI_SUCCESS;
}

ViStatus AnaSetRbw(ViSession s, int type, double hz) {
  const bool automatic = hz == 0.0;
  if (TypeIn(type, {32, 37})) return automatic ? VI_SUCCESS : VisaWrite(s, "B:R " + FmtG6(hz) + "\n");
  if (TypeIn(type, {33, 36, 40, 42, Range(46, 66), 68}))
    return CmdQuery(s, automatic ? QString("BAND:RES:AUTO ON;*OPC?\n") : "BAND:RES " + FmtFixed(hz, 1) + ";*OPC?\n");
  if (TypeIn(type, {72})) return VisaWrite(s, automatic ? QString("BA\n") : "RB " + FmtFixed(hz, 1) + "\n");
  return VI_SUCCESS;
}

ViStatus AnaSetVbw(ViSession s, int type, double hz, bool trackingGenerator) {
  const bool automatic = hz == 0.0;
  if (type == 53 && trackingGenerator) return VI_SUCCESS;  // left as its network mode has it
  if (TypeIn(type, {32, 37})) return automatic ? VI_SUCCESS : VisaWrite(s, "B:V " + FmtG6(hz) + "\n");
  if (TypeIn(type, {33, 36, 40, 42, Range(46, 66), 68}))
    return CmdQuery(s, automatic ? QString("BAND:VID:AUTO ON;*OPC?\n") : "BAND:VID " + FmtFixed(hz, 1) + ";*OPC?\n");
  if (TypeIn(type, {72})) return VisaWrite(s, automatic ? QString("VA\n") : "VB " + FmtFixed(hz, 1) + "\n");
  return VI_SUCCESS;
}

ViStatus AnaSetSwt(ViSession s, int type, double sweepTimeMs) {
  const bool automatic = sweepTimeMs == 0.0;
  if (TypeIn(type, {32, 37}))
    return automatic ? VI_SUCCESS : VisaWrite(s, "SW:T " + SweepSeconds(sweepTimeMs) + "\n");
  if (TypeIn(type, {33, 36, 40, 42, Range(46, 68)}))
    return CmdQuery(s, automatic ? QString("SWE:TIME:AUTO ON;*OPC?\n")
                                 : "SWE:TIME " + SweepSeconds(sweepTimeMs) + ";*OPC?\n");
  if (TypeIn(type, {72})) return VisaWrite(s, automatic ? QString("AS\n") : "SW " + SweepSeconds(sweepTimeMs) + "\n");
  return VI_SUCCESS;
}

ViStatus AnaGetSwt(ViSession s, int type, double &sweepTimeS) {
  // The line feed ends the query on a serial line too, which has no END.
  if (TypeIn(type, {33, 36, 40, 42, Range(46, 68)})) return CmdQueryNum(s, "SWE:TIME?\n", sweepTimeS);
  if (TypeIn(type, {72})) return CmdQueryNum(s, "SW?", sweepTimeS);
  return VI_SUCCESS;
}

ViStatus AnaContSwp(ViSession s, int type, bool on) {
  if (TypeIn(type, {33, 36, 40, 42, Range(46, 66), 68})) return VisaWrite(s, "INIT:CONT " + FmtOnOff(on) + "\n");
  if (TypeIn(type, {72})) return VisaWrite(s, on ? "SN\n" : "SI\n");
  return VI_SUCCESS;
}

ViStatus AnaDispUpd(ViSession s, int type, bool on) {
  if (TypeIn(type, {33, 36, 40, 42, 46, 49, Range(52, 66)}))
    return VisaWrite(s, "SYST:DISP:UPD " + FmtOnOff(on) + "\n");
  if (TypeIn(type, {67})) return VisaWrite(s, "DISP:TRAC " + FmtOnOff(on) + "\n");
  return VI_SUCCESS;
}

// The attenuation and IF bandwidth calls are made for command set B only.
ViStatus AnaSetAtt(ViSession s, int type, int &attenuationDb, bool automatic) {
  if (!TypeIn(type, {34, 35, 38, 39, 41, 43, 44, 45})) return VI_SUCCESS;
  if (automatic) return VisaWrite(s, "A:A ON\n");
  const ViStatus status = VisaWrite(s, "A " + QString::number(attenuationDb) + "\n");
  if (status != VI_SUCCESS) return status;
  return CmdQueryInt(s, "A?\n", attenuationDb);
}

ViStatus AnaSetIbw(ViSession s, int type, int &ibw) {
  if (!TypeIn(type, {34, 35, 38, 39, 43, 44, 45})) return VI_SUCCESS;
  const ViStatus status = VisaWrite(s, "B:I " + QString::number(ibw) + "H\n");
  if (status != VI_SUCCESS) return status;
  return CmdQueryInt(s, "B:I?\n", ibw);
}

ViStatus AnaSetDet(ViSession s, int type, int detector) {
  static const char *const kShort[] = {"A", "P", "Q"};     // Average, Peak, Quasipeak
  static const char *const kLong[] = {"A", "PEAK", "Q"};
  const char *const *names = nullptr;
  if (TypeIn(type, {34, 38, 39, 44})) names = kShort;
  if (TypeIn(type, {35, 43, 45})) names = kLong;
  if (names == nullptr) return VI_SUCCESS;
  if (detector < 0 || detector > 2) return kErrBadSetting;
  return VisaWrite(s, QString("DET %1\n").arg(QLatin1String(names[detector])));
}
