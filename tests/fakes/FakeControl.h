// Control interface of the recording fake libraries, reached by the tests
// through tests/support/FakeVisa.h and FakePwu.h from the same library file
// that the program loads, so both share one state. C names, looked up by name.
#pragma once
#include "instruments/VisaDefs.h"

#include <stddef.h>

extern "C" {

void fakevisa_reset(void);
/* A reply for the sessions of resource, or any session when resource is "".
 * A negative status makes the read fail with it and deliver nothing. */
void fakevisa_reply(const char *resource, const char *data, size_t length, ViStatus status);
void fakevisa_fail_next(const char *function, ViStatus status);
void fakevisa_fail_open(const char *resource, ViStatus status);
void fakevisa_stb(ViUInt16 stb);
/* The transcript, lines joined by '\n'; valid until the next call into the fake. */
const char *fakevisa_transcript(void);
/* The bytes of the index-th viWrite and their length; null when there are fewer writes. */
const char *fakevisa_write(size_t index, size_t *length);

void fakepwu_reset(void);
void fakepwu_reading(double watts, ViStatus status);
void fakepwu_fail_next(const char *function, ViStatus status);
void fakepwu_revision(const char *text);
const char *fakepwu_transcript(void);

}
