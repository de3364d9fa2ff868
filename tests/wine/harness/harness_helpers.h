// Small steps the harness tests share.
#pragma once

#include <string>
#include <vector>

#include "wine_test_support.h"

// Writes the bytes as they are (UTF-8 labels, one per line).
bool WriteTextFile(const std::string& path, const std::string& bytes);

// The "index,x,y,label" lines of `standin-desktop.exe --dump`, split into
// icons; the label stays as dumped (UTF-8). False when the dump failed.
bool DumpIcons(std::vector<DesktopIcon>* icons);

// Text conversions between UTF-8 and a code page.
std::string Utf8ToCodePage(const std::string& utf8, unsigned codePage);
