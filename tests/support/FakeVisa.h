#pragma once
// Test side of the recording fake VISA library (tests/fakes/FakeVisaLib.cpp).
// load() makes the program's own VisaLoad take the fake; from then on every
// VISA call of the program is recorded and reads are answered from a script.
//
// Transcript: one line per call, in call order:
//   <function> <arguments separated by blanks>[ -> <result>]
// - sessions and numbers in decimal; instrument sessions are numbered 1, 2, 3,
//   ... and resource managers 1000, 1001, ... in the order opened (reset()
//   starts again at 1 and 1000);
// - texts and bytes in double quotes with C escapes: \n \r \t \" \\ and \xHH
//   for other bytes outside printable ASCII;
// - attributes by their VISA names (VI_ATTR_TMO_VALUE), unknown ones in hex;
// - result: the output of a successful call (session opened, bytes read,
//   status byte, attribute read), followed by the status name when the status
//   is not VI_SUCCESS; a failed call shows only its status name
//   (VI_ERROR_TMO), a successful call without output shows no result.
//   Status and attribute names are those of the project's VISA library
//   (visa/StatusText.h); a code it does not name appears in hex (0xBFFF003C).
// Examples:
//   viOpenDefaultRM -> 1000
//   viOpen 1000 "GPIB0::20::INSTR" 0 5000 -> 1
//   viOpen 1000 "GPIB0::9::INSTR" 0 5000 -> VI_ERROR_RSRC_NFOUND
//   viSetAttribute 1 VI_ATTR_TMO_VALUE 10000
//   viSetBuf 1 3 4000
//   viWrite 1 "FREQ 100000000.0;*OPC?\n"
//   viRead 1 20000 -> "1\n"
//   viRead 1 100 -> "12345..." VI_SUCCESS_MAX_CNT
//   viRead 1 100 -> VI_ERROR_TMO
//   viReadSTB 1 -> 16
//   viGpibControlREN 1 6
//   viGetAttribute 1 VI_ATTR_RM_SESSION -> 1000
//   viClose 1
//
// Replies: a read of a session is answered by, in this order of precedence,
// 1. "1\n" when the last write to that session contained "*OPC?" (automatic
//    completion answer, switch off with setAutoOpc(false); it does not use
//    the script),
// 2. the next reply queued for the session's resource (replyFor),
// 3. the next reply queued for the session number (replyForSession),
// 4. the next reply queued for any session (reply),
// 5. otherwise the read times out (VI_ERROR_TMO), as an instrument with
//    nothing to say does.
// A reply longer than the read count delivers the first count bytes with
// VI_SUCCESS_MAX_CNT; the rest stays queued as the start of the next reply.
//
// Sessions: a call on session 0 fails with VI_ERROR_INV_OBJECT. Writes and
// reads accept any other number, so command tests may use session 1 without
// opening it; viClose and viGetAttribute(VI_ATTR_RM_SESSION) know only
// sessions that viOpen/viOpenDefaultRM handed out.
// viFindRsrc/viFindNext answer VI_ERROR_RSRC_NFOUND; viPrintf, viScanf,
// viQueryf and viReadToFile answer VI_ERROR_NSUP_OPER (the program uses none).
#include "instruments/VisaDefs.h"

#include <QString>
#include <QStringList>

namespace FakeVisa {

// Points SOLVANE_VISA_LIBRARY at the fake and calls VisaLoad once per process;
// true when the program's VISA layer runs on the fake. Also resets the fake.
bool load();
QString libraryPath();          // build/bin/libfakevisa.so
QString incompleteLibraryPath();  // the same without viGpibControlREN

// Forgets the transcript and the whole script; numbering starts again.
void reset();

void reply(const QString &text);
void replyFor(const QString &resource, const QString &text);
void replyForSession(ViSession session, const QString &text);
// The next read that the queue would answer fails with VI_ERROR_TMO.
void timeout();
void timeoutFor(const QString &resource);

// The next call of function (e.g. "viWrite") returns status. A negative status
// fails the call without effect; a positive one lets the call happen and
// replaces its status (e.g. VI_WARN_CONFIG_NLOADED for viOpen). Several
// calls queue up in order.
void failNext(const QString &function, ViStatus status);
// Every viOpen of resource fails with status.
void failOpen(const QString &resource, ViStatus status = VI_ERROR_RSRC_NFOUND);
// Status bytes for viReadSTB, in order; 0 when none is queued.
void statusByte(ViUInt16 stb);
void setAutoOpc(bool on);

QStringList transcript();
// The texts of every viWrite, unescaped, in order (e.g. "*RST\n").
QStringList writes();

}  // namespace FakeVisa
