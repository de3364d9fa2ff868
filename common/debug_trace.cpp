#include "debug_trace.h"

#include <windows.h>

#include <cstdio>
#include <cstring>

namespace {

// The program's file name without folder and extension.
void ProgramName(char* name, size_t size) {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, sizeof path);
    const char* base = path;
    for (const char* p = path; *p; ++p) {
        if (*p == '\\' || *p == '/') base = p + 1;
    }
    snprintf(name, size, "%s", base);
    if (char* dot = std::strrchr(name, '.')) *dot = '\0';
}

}  // namespace

void TraceFailure(const char* what, unsigned long code) {
    char program[MAX_PATH] = {};
    ProgramName(program, sizeof program);
    char line[512];
    snprintf(line, sizeof line, "%s: %s failed, error %lu\n", program, what, code);
    OutputDebugStringA(line);
}

void TraceFailure(const char* what) { TraceFailure(what, GetLastError()); }
