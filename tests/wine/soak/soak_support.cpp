#include "soak_support.h"

#include <psapi.h>
#include <winternl.h>

#include <cstdint>
#include <cstdio>
#include <vector>

#include "user_object_probe.h"

namespace soak {

namespace {

constexpr DWORD kRequestTimeoutMs = 20000;
constexpr UINT kProbeTimeoutMs = 100;
constexpr DWORD kFreezeStartTimeoutMs = 3000;
constexpr DWORD kUserCountTimeoutMs = 30000;

// ---- handles

// The documented call; Wine answers it with 0, which no running process has.
Figure DocumentedHandleCount(HANDLE process) {
    DWORD handles = 0;
    if (!GetProcessHandleCount(process, &handles) || handles == 0) return {};
    return {static_cast<long long>(handles), "GetProcessHandleCount"};
}

// The system's list of every open handle (information class 16).
struct SystemHandleEntry {
    ULONG ownerProcess;  // the owner's id in its low 16 bits on Windows, whole under Wine
    UCHAR objectType;
    UCHAR flags;
    USHORT value;
    PVOID object;
    ULONG access;
};
struct SystemHandleList {
    ULONG count;
    SystemHandleEntry entries[1];
};
constexpr ULONG kSystemHandleInformation = 16;
constexpr NTSTATUS kInfoLengthMismatch = static_cast<NTSTATUS>(0xC0000004);
constexpr size_t kLargestHandleList = size_t{256} << 20;

using SystemQuery = NTSTATUS(NTAPI*)(ULONG, PVOID, ULONG, PULONG);

template <typename Function>
Function NtdllFunction(const char* name) {
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(ntdll, name))) : nullptr;
}

Figure ListedHandleCount(DWORD processId) {
    auto query = NtdllFunction<SystemQuery>("NtQuerySystemInformation");
    if (!query) return {};
    std::vector<unsigned char> buffer(size_t{1} << 20);
    NTSTATUS status = 0;
    ULONG needed = 0;
    while ((status = query(kSystemHandleInformation, buffer.data(), static_cast<ULONG>(buffer.size()), &needed)) ==
               kInfoLengthMismatch &&
           buffer.size() < kLargestHandleList) {
        buffer.resize(buffer.size() * 2);
    }
    if (status != 0) return {};
    const auto* list = reinterpret_cast<const SystemHandleList*>(buffer.data());
    const size_t room = (buffer.size() - offsetof(SystemHandleList, entries)) / sizeof(SystemHandleEntry);
    long long count = 0;
    for (size_t i = 0; i < list->count && i < room; ++i) {
        if ((list->entries[i].ownerProcess & 0xFFFFu) == (processId & 0xFFFFu)) ++count;
    }
    return {count, "system handle list"};
}

// ---- GDI objects

// GetGuiResources reports a failure as 0 with an error set.
Figure DocumentedGuiCount(HANDLE process, DWORD kind) {
    SetLastError(ERROR_SUCCESS);
    DWORD count = GetGuiResources(process, kind);
    if (count == 0 && GetLastError() != ERROR_SUCCESS) return {};
    return {static_cast<long long>(count), "GetGuiResources"};
}

// The process's GDI handle table, which its PEB points to: 0x10000
// entries of 24 bytes, the object type in byte 14, 0 for a free entry.
// Under Wine every process has a table of its own.
constexpr size_t kPebGdiTableOffset = 0xF8;
constexpr size_t kGdiEntryCount = 0x10000;
constexpr size_t kGdiEntrySize = 24;
constexpr size_t kGdiTypeOffset = 14;

using ProcessQuery = NTSTATUS(NTAPI*)(HANDLE, PROCESSINFOCLASS, PVOID, ULONG, PULONG);

Figure GdiTableCount(HANDLE process) {
    auto query = NtdllFunction<ProcessQuery>("NtQueryInformationProcess");
    PROCESS_BASIC_INFORMATION basic = {};
    if (!query || query(process, ProcessBasicInformation, &basic, sizeof basic, nullptr) != 0) return {};
    std::uint64_t table = 0;
    const auto* tableField = reinterpret_cast<const unsigned char*>(basic.PebBaseAddress) + kPebGdiTableOffset;
    if (!ReadProcessMemory(process, tableField, &table, sizeof table, nullptr) || table == 0) return {};
    std::vector<unsigned char> entries(kGdiEntryCount * kGdiEntrySize);
    if (!ReadProcessMemory(process, reinterpret_cast<const void*>(static_cast<uintptr_t>(table)), entries.data(),
                           entries.size(), nullptr)) {
        return {};
    }
    long long used = 0;
    for (size_t i = 0; i < kGdiEntryCount; ++i) used += entries[i * kGdiEntrySize + kGdiTypeOffset] != 0 ? 1 : 0;
    return {used, "GDI handle table"};
}

// ---- USER objects

// A hook on the window's thread loads the probe into its process; the
// probe answers the request with the counts (user_object_probe.h).
Figure ProbedUserObjectCount(HWND window) {
    if (window == nullptr) return {};
    // Beside this program, where the search for a library looks first.
    HMODULE probe = LoadLibraryA(kUserObjectProbeLibrary);
    auto hook = probe ? reinterpret_cast<HOOKPROC>(reinterpret_cast<void*>(GetProcAddress(probe, kUserObjectProbeHook)))
                      : nullptr;
    DWORD thread = GetWindowThreadProcessId(window, nullptr);
    HHOOK installed = hook && thread ? SetWindowsHookExA(WH_GETMESSAGE, hook, probe, thread) : nullptr;
    HWND replyWindow = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    Figure figure;
    if (installed && replyWindow) {
        const UINT request = RegisterWindowMessageA(kUserObjectRequestName);
        const UINT answer = RegisterWindowMessageA(kUserObjectAnswerName);
        MSG reply = {};
        if (PostMessageA(window, request, reinterpret_cast<WPARAM>(replyWindow), 0) &&
            WaitUntil([&] { return PeekMessageA(&reply, replyWindow, answer, answer, PM_REMOVE) != FALSE; },
                      kUserCountTimeoutMs)) {
            figure = {static_cast<long long>(reply.wParam) + LOWORD(reply.lParam) + HIWORD(reply.lParam),
                      "count inside the process"};
        }
    }
    if (replyWindow) DestroyWindow(replyWindow);
    if (installed) UnhookWindowsHookEx(installed);
    if (probe) FreeLibrary(probe);
    return figure;
}

// ---- private memory

Figure PrivateMemory(HANDLE process) {
    PROCESS_MEMORY_COUNTERS_EX memory = {};
    memory.cb = sizeof memory;
    if (!GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof memory)) return {};
    if (memory.PrivateUsage != 0) return {static_cast<long long>(memory.PrivateUsage), "PrivateUsage"};
    // Wine fills only the commit charge, which Windows defines as the same amount.
    if (memory.PagefileUsage != 0) return {static_cast<long long>(memory.PagefileUsage), "PagefileUsage"};
    return {};
}

}  // namespace

ProcessFigures FiguresOf(DWORD processId, HWND window) {
    ProcessFigures figures;
    const ScopedHandle opened(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId));
    if (!opened) return figures;
    HANDLE process = opened.Get();
    // USER objects first: the probe it loads is then there for the other figures too.
    figures.userObjects = DocumentedGuiCount(process, GR_USEROBJECTS);
    if (figures.userObjects.value < 0) figures.userObjects = ProbedUserObjectCount(window);
    figures.handles = DocumentedHandleCount(process);
    if (figures.handles.value < 0) figures.handles = ListedHandleCount(processId);
    figures.gdiObjects = DocumentedGuiCount(process, GR_GDIOBJECTS);
    if (figures.gdiObjects.value < 0) figures.gdiObjects = GdiTableCount(process);
    figures.privateBytes = PrivateMemory(process);
    return figures;
}

std::string Describe(const ProcessFigures& figures) {
    char text[320];
    std::snprintf(text, sizeof text,
                  "handles %lld (%s), GDI objects %lld (%s), USER objects %lld (%s), private bytes %lld (%s)",
                  figures.handles.value, figures.handles.source, figures.gdiObjects.value, figures.gdiObjects.source,
                  figures.userObjects.value, figures.userObjects.source, figures.privateBytes.value,
                  figures.privateBytes.source);
    return text;
}

std::string Describe(const Growth& growth) {
    char text[240];
    if (!growth.Measured()) {
        std::snprintf(text, sizeof text, "%-13s not measured (%lld -> %lld)", growth.name, growth.before.value,
                      growth.after.value);
    } else {
        std::snprintf(text, sizeof text, "%-13s %lld -> %lld (%+lld, allowed +%lld, %s) %s", growth.name,
                      growth.before.value, growth.after.value, growth.Change(), growth.allowed, growth.after.source,
                      growth.WithinMargin() ? "ok" : "TOO MUCH");
    }
    return text;
}

bool FreezeStandin(HWND listView, DWORD milliseconds) {
    if (RunToExit(StandinDesktopExe(), "--freeze " + std::to_string(milliseconds), "", kRequestTimeoutMs) != 0) {
        return false;
    }
    // The freeze begins once the stand-in gets to the message it posted itself.
    return WaitUntil([&] { return !Answers(listView, kProbeTimeoutMs); }, kFreezeStartTimeoutMs);
}

bool Answers(HWND window, UINT timeoutMs) {
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, timeoutMs, &result) != 0;
}

}  // namespace soak
