#include "harness_helpers.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>

bool WriteTextFile(const std::string& path, const std::string& bytes) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return false;
    bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}

namespace {

bool ParseDumpLine(const std::string& line, DesktopIcon* icon) {
    size_t first = line.find(',');
    size_t second = first == std::string::npos ? first : line.find(',', first + 1);
    size_t third = second == std::string::npos ? second : line.find(',', second + 1);
    if (third == std::string::npos) return false;
    icon->index = std::atoi(line.substr(0, first).c_str());
    icon->x = std::atoi(line.substr(first + 1, second - first - 1).c_str());
    icon->y = std::atoi(line.substr(second + 1, third - second - 1).c_str());
    icon->label = line.substr(third + 1);
    return true;
}

}  // namespace

bool DumpIcons(std::vector<DesktopIcon>* icons) {
    icons->clear();
    std::string output;
    if (RunToExitCapturingOutput(StandinDesktopExe(), "--dump", "", &output, 20000) != 0) return false;
    size_t start = 0;
    while (start < output.size()) {
        size_t end = output.find('\n', start);
        if (end == std::string::npos) return false;  // every line ends with a line end
        DesktopIcon icon = {};
        if (!ParseDumpLine(output.substr(start, end - start), &icon)) return false;
        icons->push_back(icon);
        start = end + 1;
    }
    return true;
}

std::string Utf8ToCodePage(const std::string& utf8, unsigned codePage) {
    if (utf8.empty()) return std::string();
    int wideLength = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(wideLength), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &wide[0], wideLength);
    int length = WideCharToMultiByte(codePage, 0, wide.data(), wideLength, nullptr, 0, nullptr, nullptr);
    std::string converted(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(codePage, 0, wide.data(), wideLength, &converted[0], length, nullptr, nullptr);
    return converted;
}
