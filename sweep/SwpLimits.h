#pragma once
// Bounds that keep every table of a run finite. A point-by-point sweep that
// tunes the generators at each point never comes near these counts in a
// laboratory (10 000 points already take hours); they exist so that a garbled
// configuration or data file cannot ask for more memory than the machine has.
// Worst case of the trace store: kMaxTraces x kMaxLevels x kMaxPoints doubles
// = 20 x 20 x 20 001 x 8 bytes, about 64 MB.
constexpr int kMaxPoints = 20001;  // frequency points of one sweep
constexpr int kMaxLevels = 20;     // level steps (rows of one trace record)
constexpr int kMaxTraces = 20;     // trace slots on the plot
