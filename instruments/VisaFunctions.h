/* Prototypes of the VISA functions that the program looks up in the VISA
 * library, as the published VISA standard (VPP-4.3) defines them. Plain C:
 * a VISA library of the project's own (or a test double) includes it so that
 * the compiler checks its exports against the calls the program makes, and
 * the program derives its function-pointer types from it. */
#ifndef SOLVANE_VISAFUNCTIONS_H
#define SOLVANE_VISAFUNCTIONS_H

#include "instruments/VisaDefs.h"

#ifdef __cplusplus
extern "C" {
#endif

ViStatus viOpenDefaultRM(ViPSession vi);
ViStatus viFindRsrc(ViSession sesn, ViConstString expr, ViPFindList vi, ViPUInt32 retCnt,
                    ViChar desc[]);
ViStatus viFindNext(ViFindList vi, ViChar desc[]);
ViStatus viStatusDesc(ViObject vi, ViStatus status, ViChar desc[]);
ViStatus viOpen(ViSession sesn, ViConstRsrc name, ViAccessMode mode, ViUInt32 timeout,
                ViPSession vi);
ViStatus viWrite(ViSession vi, ViConstBuf buf, ViUInt32 cnt, ViPUInt32 retCnt);
ViStatus viRead(ViSession vi, ViBuf buf, ViUInt32 cnt, ViPUInt32 retCnt);
ViStatus viQueryf(ViSession vi, ViConstString writeFmt, ViConstString readFmt, ...);
ViStatus viPrintf(ViSession vi, ViConstString writeFmt, ...);
ViStatus viScanf(ViSession vi, ViConstString readFmt, ...);
ViStatus viReadToFile(ViSession vi, ViConstString filename, ViUInt32 cnt, ViPUInt32 retCnt);
ViStatus viClear(ViSession vi);
ViStatus viClose(ViObject vi);
ViStatus viSetAttribute(ViObject vi, ViAttr attrName, ViAttrState attrValue);
ViStatus viGetAttribute(ViObject vi, ViAttr attrName, void *attrValue);
ViStatus viSetBuf(ViSession vi, ViUInt16 mask, ViUInt32 size);
ViStatus viReadSTB(ViSession vi, ViPUInt16 status);
ViStatus viGpibControlREN(ViSession vi, ViUInt16 mode);

#ifdef __cplusplus
}
#endif

#endif
