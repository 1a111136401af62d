#pragma once
// Ctrl-C (SIGINT) and SIGTERM ask a headless run to stop at its next point;
// it then runs the end-of-run steps and keeps what it measured. A second
// signal ends the program at once, in case an instrument hangs.
void CatchStopSignals();
bool StopSignalled();
