#include "lokari_wine_helpers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

long RunLokari(const std::string& commandTail, const std::string& workingFolder) {
    return RunToExit(LokariExe(), commandTail, workingFolder, kLokariTimeoutMs);
}

long RunLokariWide(const std::wstring& commandTail, const std::string& workingFolder) {
    std::wstring commandLine = L"\"" + WideFromAnsi(LokariExe()) + L"\" " + commandTail;
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started = {};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        WideFromAnsi(workingFolder).c_str(), &startup, &started)) {
        return -1;
    }
    const ScopedHandle process(started.hProcess);
    CloseHandle(started.hThread);
    DWORD exitCode = 0;
    const bool ended = WaitForSingleObject(process.Get(), kLokariTimeoutMs) == WAIT_OBJECT_0;
    if (!ended) TerminateProcess(process.Get(), 1);
    return ended && GetExitCodeProcess(process.Get(), &exitCode) ? static_cast<long>(exitCode) : -1;
}

std::string SnapshotLineOf(const DesktopIcon& icon) {
    return std::to_string(icon.x) + "," + std::to_string(icon.y) + "," + icon.label + ",\r\n";
}

std::string SnapshotOf(const std::vector<DesktopIcon>& icons) {
    std::string text;
    for (const DesktopIcon& icon : icons) text += SnapshotLineOf(icon);
    return text;
}

std::string SavedSnapshotOf(const std::vector<DesktopIcon>& icons, const std::string& origin) {
    return SnapshotOf(icons) + origin + "\r\n";
}

std::vector<std::string> SnapshotNamesBetween(std::time_t from, std::time_t to) {
    std::vector<std::string> names;
    for (std::time_t second = from; second <= to; ++second) {
        const std::tm* local = std::localtime(&second);
        char name[32] = {};
        if (local && std::strftime(name, sizeof name, "%Y%m%d%H%M%S.dat", local) > 0) names.push_back(name);
    }
    return names;
}

void MoveIconsAway(StandinDesktop& desktop) {
    const int count = desktop.IconCount();
    for (int i = 0; i < count; ++i) desktop.SetIconPosition(i, 5 + (i * 37) % 997, 7 + (i * 91) % 743);
}

void PlaceIconsOnScreen(StandinDesktop& desktop) {
    const int count = desktop.IconCount();
    for (int i = 0; i < count; ++i) desktop.SetIconPosition(i, 10 + (i % 24) * 41, 12 + (i / 24) * 57);
}

std::vector<Placement> PlacementsOf(const std::vector<DesktopIcon>& icons) {
    std::vector<Placement> placements;
    for (const DesktopIcon& icon : icons) placements.push_back({icon.x, icon.y});
    return placements;
}

void PrintTo(const Placement& placement, std::ostream* out) {
    *out << "(" << placement.x << ", " << placement.y << ")";
}

std::vector<std::uintptr_t> SmallPrivateAllocations(DWORD processId) {
    std::vector<std::uintptr_t> bases;
    const ScopedHandle opened(OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, processId));
    EXPECT_TRUE(opened);
    if (!opened) return bases;
    HANDLE process = opened.Get();
    SYSTEM_INFO system;
    GetSystemInfo(&system);
    auto address = reinterpret_cast<std::uintptr_t>(system.lpMinimumApplicationAddress);
    const auto end = reinterpret_cast<std::uintptr_t>(system.lpMaximumApplicationAddress);
    MEMORY_BASIC_INFORMATION region;
    while (address < end &&
           VirtualQueryEx(process, reinterpret_cast<void*>(address), &region, sizeof region) == sizeof region) {
        const auto base = reinterpret_cast<std::uintptr_t>(region.BaseAddress);
        if (region.BaseAddress == region.AllocationBase && region.State == MEM_COMMIT &&
            region.Type == MEM_PRIVATE && region.Protect == PAGE_READWRITE && region.RegionSize == system.dwPageSize) {
            bases.push_back(base);
        }
        if (region.RegionSize == 0) break;
        address = base + region.RegionSize;
    }
    std::sort(bases.begin(), bases.end());
    return bases;
}

std::vector<std::uintptr_t> NewAllocations(const std::vector<std::uintptr_t>& before,
                                           const std::vector<std::uintptr_t>& after) {
    std::vector<std::uintptr_t> added;
    std::set_difference(after.begin(), after.end(), before.begin(), before.end(), std::back_inserter(added));
    return added;
}

std::wstring WideFromAnsi(const std::string& ansi) {
    const int length = MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), wide.data(), length);
    return wide;
}

std::string AnsiFromUtf8(const std::string& utf8) {
    const int wideLength = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(),
                                               static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(wideLength), L'\0');
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), static_cast<int>(utf8.size()), wide.data(),
                        wideLength);
    const int ansiLength =
        WideCharToMultiByte(CP_ACP, 0, wide.data(), wideLength, nullptr, 0, nullptr, nullptr);
    std::string ansi(static_cast<std::size_t>(ansiLength), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.data(), wideLength, ansi.data(), ansiLength, nullptr, nullptr);
    return ansi;
}
