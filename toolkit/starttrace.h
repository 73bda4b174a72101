// A timeline of the program's start, for finding where start-up time goes. With the
// environment variable DRAVOLIN_START_TRACE naming a file, each mark appends one line to it:
// the milliseconds since the process was created (Wine's own start included), the processor
// milliseconds the process has used so far, and what was reached. Without the variable a
// mark costs one test of a flag.
#pragma once

void StartMark(const char* what);
// Marks only the first call with this flag still clear, then sets it (a first paint, say).
void StartMarkOnce(bool& done, const char* what);
