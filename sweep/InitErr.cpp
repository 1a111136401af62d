#include "sweep/InitErr.h"

namespace {

// The analyzer's title carries three spaces on purpose: operators know the
// box by it.
const char kGen1[] = "Generator1 (RF)";
const char kGen2[] = "Generator2 (LO)";
const char kAna[] = "Analyzer   (IF)";

struct Entry {
  int code;
  InitErrText words;
};

const Entry kEntries[] = {
    {-1, {kGen1, "Initialization Error."}},  {-2, {kGen1, "Max RF Level Error."}},
    {-3, {kGen1, "Min RF Level Error."}},    {-4, {kGen1, "Max Frequency Error."}},
    {-5, {kGen1, "Min Frequency Error."}},   {-6, {kGen1, "RF ON Error."}},
    {-8, {kGen2, "Initialization Error."}},  {-9, {kGen2, "Max RF Level Error."}},
    {-10, {kGen2, "Min RF Level Error."}},   {-11, {kGen2, "Max Frequency Error."}},
    {-12, {kGen2, "Min Frequency Error."}},  {-13, {kGen2, "RF ON Error."}},
    {-15, {kAna, "Initialization Error."}},  {-16, {kAna, "Freq Config Error."}},
    {-17, {kAna, "Sweep Setup Error."}},     {-19, {kAna, "Display Setup Error."}},
};

}  // namespace

InitErrText InitErrFor(int code)
{
  for (const Entry &entry : kEntries) {
    if (entry.code == code)
      return entry.words;
  }
  return {"Unknown", "Unknown Error."};
}
