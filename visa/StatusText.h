#pragma once
// Names and descriptions of the VISA status codes that libsolvisa returns.
#include "instruments/VisaDefs.h"

#include <QByteArray>

#define SOLVISA_ERROR_ATTR_READONLY ((ViStatus)0xBFFF001F)
#define SOLVISA_ERROR_INV_EXPR ((ViStatus)0xBFFF0010)

QByteArray statusName(ViStatus status);         // "VI_ERROR_TMO"
QByteArray statusDescription(ViStatus status);  // "VI_ERROR_TMO: Timeout expired ..."
QByteArray attributeName(ViAttr attribute);     // "VI_ATTR_TMO_VALUE"
