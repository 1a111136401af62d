/* Prototypes of the USB power sensor's instrument-driver library, a plain C
 * interface in the VXIplug&play style. The program looks these functions up
 * at run time; a driver library of the project's own (or a test double)
 * includes this header so that its exports match the calls.
 * The sensor has one measurement channel, addressed as channel 1. */
#ifndef SOLVANE_PWUDRVDEFS_H
#define SOLVANE_PWUDRVDEFS_H

#include "instruments/VisaDefs.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef double ViReal64;

/* Size of each text buffer that pwudrv_revision_query fills. */
#define PWUDRV_REVISION_BUFLEN 100

ViStatus pwudrv_init(ViConstRsrc resourceName, ViBoolean idQuery, ViBoolean reset, ViPSession vi);
/* driverRevision and instrumentRevision each hold PWUDRV_REVISION_BUFLEN bytes;
 * the first receives a zero-terminated UTF-8 text. */
ViStatus pwudrv_revision_query(ViSession vi, ViChar driverRevision[], ViChar instrumentRevision[]);
ViStatus pwudrv_close(ViSession vi);
ViStatus pwudrv_chans_zero(ViSession vi);
ViStatus pwudrv_avg_configureAvgAuto(ViSession vi, ViInt32 channel, ViInt32 resolution);
ViStatus pwudrv_avg_configureAvgManual(ViSession vi, ViInt32 channel, ViInt32 count);
ViStatus pwudrv_range_setAutoEnabled(ViSession vi, ViInt32 channel, ViBoolean enabled);
ViStatus pwudrv_chan_setInitContinuousEnabled(ViSession vi, ViInt32 channel, ViBoolean enabled);
ViStatus pwudrv_chan_setCorrectionFrequency(ViSession vi, ViInt32 channel, ViReal64 frequencyHz);
/* The reading is in watts. */
ViStatus pwudrv_meass_readMeasurement(ViSession vi, ViInt32 channel, ViInt32 timeoutMs,
                                      ViReal64 *reading);
ViStatus pwudrv_error_message(ViSession vi, ViStatus status, ViChar message[]);

#ifdef __cplusplus
}
#endif

#endif
