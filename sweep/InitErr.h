#pragma once
// The words shown for a result of the instrument preparation (InstInit).
struct InitErrText {
  const char *title;
  const char *text;
};

// Title and text for a nonzero preparation code; codes without a stage of
// their own give "Unknown" / "Unknown Error.".
InitErrText InitErrFor(int code);
