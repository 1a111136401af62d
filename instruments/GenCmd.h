#pragma once
// Signal generator commands, for every generator type of the type table.
// Frequencies in hertz, levels in dBm.
#include "instruments/VisaDefs.h"

ViStatus GenSetFrq(ViSession session, int type, double freqHz);
ViStatus GenGetFrq(ViSession session, int type, double &freqHz);
int GenChkFrq(ViSession session, int type, double freqHz);  // 0 confirmed, -1 failed
ViStatus GenSetLvl(ViSession session, int type, double levelDbm);
ViStatus GenGetLvl(ViSession session, int type, double &levelDbm);
int GenChkLvl(ViSession session, int type, double levelDbm);  // 0 confirmed, -1 failed
ViStatus GenRfOut(ViSession session, int type, bool on);
ViStatus SetRefOsc(ViSession session, int type, int external);
// True for the analyzer types whose own tracking generator can be the source.
bool AnaHasTrkGen(int type);
