// A C file that closes when its holder goes out of scope. Portable: the
// programs' logic uses it without <windows.h>. Where the result of the
// close matters (a file being written), close it by hand instead.
#pragma once

#include <cstdio>
#include <memory>

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using ScopedFile = std::unique_ptr<std::FILE, FileCloser>;

inline ScopedFile OpenScopedFile(const char* path, const char* mode) { return ScopedFile(std::fopen(path, mode)); }
