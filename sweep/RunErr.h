#pragma once
// The words for the result of a sweep run that did not complete, as the
// window shows them and the headless runner prints them.
#include "sweep/InitErr.h"
#include "sweep/SweepEngine.h"

#include <QString>

struct RunErrWords {
  QString title;
  QString text;
};

// Title and text for any outcome but Completed (whose words are empty). A
// refused plan is told by its reason; a failed preparation adds the reason
// (why no instrument answered) as a second paragraph.
RunErrWords RunErrFor(const SwpResult &result);
