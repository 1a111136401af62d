#pragma once
// The words for the result of a sweep run that did not complete, as the
// window shows them and the headless runner prints them.
#include "sweep/InitErr.h"
#include "sweep/SweepEngine.h"

// Title and text for any outcome but Completed (whose words are empty).
InitErrText RunErrFor(const SwpResult &result);
