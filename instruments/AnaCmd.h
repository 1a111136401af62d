#pragma once
// Analyzer and receiver set-up, for every analyzer type of the type table.
#include "instruments/DevRecords.h"
#include "instruments/VisaDefs.h"

ViStatus AnaSetup(DevStr &ana, SpxStr &spx, RcxStr &rcx);
ViStatus AnaSetRefLvl(ViSession session, int type, double levelDbm);
ViStatus AnaSetSpan(ViSession session, int type, double spanHz);
ViStatus AnaSetRbw(ViSession session, int type, double rbwHz);
ViStatus AnaSetVbw(ViSession session, int type, double vbwHz, bool trackingGenerator);
ViStatus AnaSetSwt(ViSession session, int type, double sweepTimeMs);
ViStatus AnaGetSwt(ViSession session, int type, double &sweepTimeS);
ViStatus AnaContSwp(ViSession session, int type, bool on);
ViStatus AnaDispUpd(ViSession session, int type, bool on);
ViStatus AnaSetAtt(ViSession session, int type, int &attenuationDb, bool automatic);
ViStatus AnaSetIbw(ViSession session, int type, int &ibw);
ViStatus AnaSetDet(ViSession session, int type, int detector);
