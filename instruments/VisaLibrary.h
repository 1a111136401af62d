#pragma once
// The loaded VISA library: its function table and thin calls into it. Every
// call returns VI_ERROR_LIBRARY_NFOUND and touches nothing while no library is
// loaded, so the whole instrument layer fails cleanly without VISA.
#include "instruments/VisaDefs.h"

#include <QStringList>

// The files VisaLoad tries, in order: the file named by SOLVANE_VISA_LIBRARY,
// the system's libvisa.so through the dynamic linker, and the project's
// libsolvisa.so beside the executable or, installed, in ../lib/solvane/.
// On Windows: visa64.dll or KsVisa64.dll.
QStringList VisaCandidates();
// Loads the first candidate that the dynamic loader accepts; true when it
// exports every entry point. A library that loads but lacks one is refused
// without trying further candidates: the user asked for that one. Once a
// library is loaded the table stays fixed and this returns true at once.
bool VisaLoadFrom(const QStringList &candidates);

namespace visa {

ViStatus openDefaultRM(ViSession &rm);
ViStatus open(ViSession rm, const QString &resource, ViUInt32 timeoutMs, ViSession &session);
ViStatus write(ViSession session, const QByteArray &bytes);
ViStatus read(ViSession session, QByteArray &buffer, ViUInt32 &received);  // up to buffer.size()
ViStatus close(ViObject object);
ViStatus setAttribute(ViObject object, ViAttr attribute, ViAttrState value);
// How many resources the library finds for a VISA search expression.
ViStatus findCount(ViSession rm, const QString &expression, ViUInt32 &count);
ViStatus resourceManagerOf(ViSession session, ViSession &rm);
ViStatus setBuf(ViSession session, ViUInt16 mask, ViUInt32 size);
ViStatus readStb(ViSession session, ViUInt16 &stb);
ViStatus gpibControlRen(ViSession session, ViUInt16 mode);

}  // namespace visa
