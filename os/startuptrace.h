#pragma once

// Where the time of a start goes: with TASKWYN_STARTUP_TRACE set, the end of each phase of the
// start is written to standard error as "startup <monotonic milliseconds> <phase>", so that a
// benchmark that started the program can line the phases up with what it saw on the screen.
void startupPhaseEnded(const char* phase);
