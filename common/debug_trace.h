// A channel for developers: one line for each platform call that failed
// where the program goes on regardless. Users see nothing; a debugger or a
// debug-output viewer shows the lines, and so does Wine with
// WINEDEBUG=+debugstr.
#pragma once

// "<program>: <what> failed, error <code>", the code from GetLastError.
void TraceFailure(const char* what);
// The same with a code of the call's own (an MCI error, say).
void TraceFailure(const char* what, unsigned long code);
