#pragma once
// Test side of the recording fake VISA library (tests/fakes/FakeVisaLib.cpp).
// After load() every VISA call of the program is logged, one line per call:
//   <function> <arguments separated by blanks>[ -> <result>]
// Instrument sessions are numbered 1, 2, ... and resource managers 1000,
// 1001, ... in the order opened (again from reset()). Bytes are quoted with
// the escapes \n \r \t \" \\ and \xHH; attributes and statuses by the names
// of visa/StatusText.h. The result is the output of a successful call, then
// the status name unless VI_SUCCESS; a failed call shows its status only:
//   viOpen 1000 "GPIB0::20::INSTR" 0 5000 -> 1
//   viSetAttribute 1 VI_ATTR_TMO_VALUE 10000
//   viRead 1 100 -> "12345..." VI_SUCCESS_MAX_CNT
//   viRead 1 100 -> VI_ERROR_TMO
//   viGetAttribute 1 VI_ATTR_RM_SESSION -> 1000
// A read is answered by, in this order: "1\n" when the session's last write
// contained "*OPC?"; the next reply queued for its resource (replyFor), or
// for any session (reply); otherwise it times out. A reply longer than the
// read count gives its first count bytes with VI_SUCCESS_MAX_CNT, the rest
// stays queued. A call on session 0 fails with VI_ERROR_INV_OBJECT; writes
// and reads take any other number unopened. viClose and viGetAttribute know
// only sessions handed out. viFindRsrc finds nothing; the calls the program
// never makes (viFindNext, viStatusDesc, the formatted I/O, viReadToFile)
// answer VI_ERROR_NSUP_OPER.
#include "instruments/VisaDefs.h"

#include <QString>
#include <QStringList>

namespace FakeVisa {

// Points SOLVANE_VISA_LIBRARY at the fake and calls VisaLoad once per process;
// true when the program's VISA layer runs on the fake. Also resets the fake.
bool load();
QString libraryPath();            // build/bin/libfakevisa.so
QString incompleteLibraryPath();  // the same without viGpibControlREN

// Forgets the transcript and the whole script; numbering starts again.
void reset();

void reply(const QString &text);
void replyFor(const QString &resource, const QString &text);
// The next read that the resource's queue would answer fails with VI_ERROR_TMO.
void timeoutFor(const QString &resource);

// The next call of function (e.g. "viWrite") returns status, queued in order.
// A negative status fails the call without effect; a positive one lets the
// call happen and replaces its status (e.g. VI_WARN_CONFIG_NLOADED), except
// for viRead, whose status is the reply's.
void failNext(const QString &function, ViStatus status);
// Every viOpen of resource fails with status.
void failOpen(const QString &resource, ViStatus status = VI_ERROR_RSRC_NFOUND);
// Status bytes for viReadSTB, in order; 0 when none is queued.
void statusByte(ViUInt16 stb);

QStringList transcript();
// The texts of every viWrite, unescaped, in order (e.g. "*RST\n").
QStringList writes();

}  // namespace FakeVisa
