#pragma once
// The symbol colours of the traces, one per row, as RGB values so that the
// files and the engine can name a trace's colour without a graphics library.
// The colour index of a series wraps around them.

constexpr int kTraceColours = 6;
// black, red, blue, green, yellow, cyan
constexpr unsigned kTraceRgb[kTraceColours] = {0x000000, 0xff0000, 0x0000ff, 0x00ff00, 0xffff00, 0x00ffff};

// The colour after / before `colourIdx`, wrapping from 5 to 0 and 0 to 5.
constexpr int NextColour(int colourIdx) { return colourIdx + 1 >= kTraceColours ? 0 : colourIdx + 1; }
constexpr int PrevColour(int colourIdx) { return colourIdx - 1 < 0 ? kTraceColours - 1 : colourIdx - 1; }
