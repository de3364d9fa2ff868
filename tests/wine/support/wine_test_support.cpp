#include "wine_test_support.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "standin_protocol.h"

namespace {

constexpr DWORD kStandinStartTimeoutMs = 20000;
constexpr DWORD kStandinCloseTimeoutMs = 5000;
constexpr UINT kMessageTimeoutMs = 10000;
// Larger than the 260 bytes the programs use, so a test sees the whole label.
constexpr int kLabelCapacity = 1024;

// The environment variable, or the program beside this test's executable
// (every program of the build lands in one folder).
std::string PathFromEnvironment(const char* variable, const char* fileName) {
    const char* value = std::getenv(variable);
    if (value != nullptr && value[0] != '\0') return value;
    char module[MAX_PATH] = {};
    DWORD length = GetModuleFileNameA(nullptr, module, MAX_PATH);
    std::string folder(module, length);
    size_t slash = folder.find_last_of("\\/");
    folder = slash == std::string::npos ? std::string(".") : folder.substr(0, slash);
    return folder + "\\" + fileName;
}

// Children of this test die with it, even when the test is killed by a
// time-out: the job ends every process in it when its last handle closes.
HANDLE ChildrenJob() {
    static HANDLE job = [] {
        HANDLE created = CreateJobObjectA(nullptr, nullptr);
        if (created != nullptr) {
            JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
            limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
            SetInformationJobObject(created, JobObjectExtendedLimitInformation, &limits, sizeof limits);
        }
        return created;
    }();
    return job;
}

bool StartProcess(const std::string& exe, const std::string& commandTail, const std::string& workingFolder,
                  HANDLE standardOutput, PROCESS_INFORMATION* started) {
    std::string commandLine = "\"" + exe + "\"";
    if (!commandTail.empty()) commandLine += " " + commandTail;
    std::vector<char> mutableLine(commandLine.begin(), commandLine.end());
    mutableLine.push_back('\0');

    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    BOOL inheritHandles = FALSE;
    if (standardOutput != nullptr) {
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
        startup.hStdOutput = standardOutput;
        startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
        inheritHandles = TRUE;
    }
    const char* folder = workingFolder.empty() ? nullptr : workingFolder.c_str();
    if (!CreateProcessA(nullptr, mutableLine.data(), nullptr, nullptr, inheritHandles, CREATE_SUSPENDED, nullptr,
                        folder, &startup, started)) {
        return false;
    }
    HANDLE job = ChildrenJob();
    if (job != nullptr) AssignProcessToJobObject(job, started->hProcess);
    ResumeThread(started->hThread);
    CloseHandle(started->hThread);
    started->hThread = nullptr;
    return true;
}

LRESULT SendWithTimeout(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(window, message, wParam, lParam, SMTO_ABORTIFHUNG, kMessageTimeoutMs, &result)) {
        return -1;
    }
    return static_cast<LRESULT>(result);
}

struct TopLevelSearch {
    DWORD processId;
    const char* className;
    HWND found;
};

BOOL CALLBACK MatchTopLevel(HWND window, LPARAM searchAddress) {
    auto* search = reinterpret_cast<TopLevelSearch*>(searchAddress);
    char className[64] = {};
    GetClassNameA(window, className, sizeof className);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == search->processId && std::strcmp(className, search->className) == 0) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

// The top-level window of that class that belongs to that process.
HWND FindTopLevelOf(DWORD processId, const char* className) {
    TopLevelSearch search = {processId, className, nullptr};
    EnumWindows(MatchTopLevel, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND ListViewUnder(HWND topLevel) {
    if (topLevel == nullptr) return nullptr;
    HWND shellView = FindWindowExA(topLevel, nullptr, "SHELLDLL_DefView", nullptr);
    if (shellView == nullptr) return nullptr;
    return FindWindowExA(shellView, nullptr, "SysListView32", nullptr);
}

std::wstring AnsiToWide(const std::string& text) {
    if (text.empty()) return std::wstring();
    int length = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &wide[0], length);
    return wide;
}

LRESULT SendRequest(HWND requestWindow, standin::Request request, const void* payload, DWORD size) {
    COPYDATASTRUCT data = {};
    data.dwData = request;
    data.cbData = size;
    data.lpData = const_cast<void*>(payload);
    return SendWithTimeout(requestWindow, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data));
}

// A NUL-terminated string of another process, read in small pieces so that
// the end of its memory region is no obstacle.
std::string ReadRemoteString(HANDLE process, const char* address, size_t capacity) {
    std::string text;
    char piece[64];
    while (text.size() < capacity) {
        SIZE_T got = 0;
        if (!ReadProcessMemory(process, address + text.size(), piece, sizeof piece, &got) || got == 0) break;
        const void* end = std::memchr(piece, '\0', got);
        if (end != nullptr) return text + std::string(piece, static_cast<const char*>(end) - piece);
        text.append(piece, got);
    }
    return text.substr(0, std::min(text.size(), capacity));
}

// Memory inside the stand-in's process for one LVITEMA, its label and a POINT.
struct RemoteExchange {
    LVITEMA item;
    POINT position;
    char label[kLabelCapacity];
};

}  // namespace

namespace {

struct DebugOutput {
    CRITICAL_SECTION lock;
    std::vector<std::pair<DWORD, std::string>> lines;
};

// The DBWIN buffer: the process id, then the text.
struct DebugBuffer {
    DWORD processId;
    char text[4096 - sizeof(DWORD)];
};

DWORD WINAPI ReceiveDebugOutput(void* parameter) {
    auto* output = static_cast<DebugOutput*>(parameter);
    HANDLE bufferReady = CreateEventA(nullptr, FALSE, FALSE, "DBWIN_BUFFER_READY");
    HANDLE dataReady = CreateEventA(nullptr, FALSE, FALSE, "DBWIN_DATA_READY");
    HANDLE mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(DebugBuffer),
                                       "DBWIN_BUFFER");
    const auto* buffer = mapping ? static_cast<const DebugBuffer*>(MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0))
                                 : nullptr;
    if (!bufferReady || !dataReady || !buffer) return 1;
    for (;;) {
        SetEvent(bufferReady);
        if (WaitForSingleObject(dataReady, INFINITE) != WAIT_OBJECT_0) return 1;
        const std::string text(buffer->text, strnlen(buffer->text, sizeof buffer->text));
        EnterCriticalSection(&output->lock);
        output->lines.emplace_back(buffer->processId, text);
        LeaveCriticalSection(&output->lock);
    }
}

DebugOutput* ReceivedDebugOutput() {
    static DebugOutput* output = [] {
        auto* created = new DebugOutput;  // lives as long as the receiving thread: the whole test
        InitializeCriticalSection(&created->lock);
        HANDLE thread = CreateThread(nullptr, 0, ReceiveDebugOutput, created, 0, nullptr);
        if (thread) CloseHandle(thread);
        return created;
    }();
    return output;
}

}  // namespace

void ListenToDebugOutput() { ReceivedDebugOutput(); }

std::string DebugOutputOf(DWORD processId) {
    DebugOutput* output = ReceivedDebugOutput();
    std::string said;
    EnterCriticalSection(&output->lock);
    for (const auto& line : output->lines) {
        if (line.first == processId) said += line.second;
    }
    LeaveCriticalSection(&output->lock);
    return said;
}

bool ReadWholeFile(const std::string& path, std::string* contents) {
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return false;
    contents->clear();
    char buffer[1024];
    size_t count = 0;
    while ((count = std::fread(buffer, 1, sizeof buffer, file)) > 0) contents->append(buffer, count);
    std::fclose(file);
    return true;
}

std::string ReadWholeFile(const std::string& path) {
    std::string contents;
    ReadWholeFile(path, &contents);
    return contents;
}

bool WriteWholeFile(const std::string& path, const std::string& bytes) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}

// ------------------------------------------------------------------ paths

std::string TorneloExe() { return PathFromEnvironment("TORNELO_EXE", "tornelo.exe"); }
std::string LokariExe() { return PathFromEnvironment("LOKARI_EXE", "lokari.exe"); }
std::string StandinDesktopExe() { return PathFromEnvironment("STANDIN_DESKTOP_EXE", "standin-desktop.exe"); }
std::string MusicFile() { return PathFromEnvironment("TORNELO_MUSIC_FILE", "mayimmayim.mid"); }

// ------------------------------------------------------------- TempFolder

namespace {

void RemoveTree(const std::string& folder) {
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &entry);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::string name = entry.cFileName;
            if (name == "." || name == "..") continue;
            std::string path = folder + "\\" + name;
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(path);
            } else {
                SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(path.c_str());
            }
        } while (FindNextFileA(search, &entry));
        FindClose(search);
    }
    RemoveDirectoryA(folder.c_str());
}

}  // namespace

TempFolder::TempFolder() {
    char base[MAX_PATH] = {};
    DWORD length = GetTempPathA(MAX_PATH, base);
    std::string root(base, length);
    if (!root.empty() && root.back() == '\\') root.pop_back();
    static unsigned serial = 0;
    for (int attempt = 0; attempt < 1000; ++attempt) {
        ++serial;
        char name[96];
        std::snprintf(name, sizeof name, "\\wine-test-%lu-%u-%lu", GetCurrentProcessId(), serial, GetTickCount());
        std::string candidate = root + name;
        if (CreateDirectoryA(candidate.c_str(), nullptr)) {
            path_ = candidate;
            return;
        }
    }
}

TempFolder::~TempFolder() {
    if (!path_.empty()) RemoveTree(path_);
}

std::string TempFolder::File(const std::string& name) const { return path_ + "\\" + name; }

std::vector<std::string> TempFolder::FileNames() const {
    std::vector<std::string> names;
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA((path_ + "\\*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.emplace_back(entry.cFileName);
    } while (FindNextFileA(search, &entry));
    FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

// ----------------------------------------------------------- ChildProcess

ChildProcess::ChildProcess(const std::string& exe, const std::string& commandTail, const std::string& workingFolder) {
    PROCESS_INFORMATION started = {};
    if (StartProcess(exe, commandTail, workingFolder, nullptr, &started)) {
        process_ = started.hProcess;
        id_ = started.dwProcessId;
    }
}

ChildProcess::~ChildProcess() {
    if (process_ == nullptr) return;
    if (IsRunning()) {
        TerminateProcess(process_, 1);
        WaitForSingleObject(process_, 5000);
    }
    CloseHandle(process_);
}

bool ChildProcess::IsRunning() const {
    return process_ != nullptr && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT;
}

bool ChildProcess::WaitForExit(DWORD timeoutMs, DWORD* exitCode) {
    if (process_ == nullptr) return false;
    if (WaitForSingleObject(process_, timeoutMs) != WAIT_OBJECT_0) return false;
    DWORD code = 0;
    GetExitCodeProcess(process_, &code);
    if (exitCode != nullptr) *exitCode = code;
    return true;
}

long RunToExit(const std::string& exe, const std::string& commandTail, const std::string& workingFolder,
               DWORD timeoutMs) {
    ChildProcess child(exe, commandTail, workingFolder);
    DWORD exitCode = 0;
    if (!child.Started() || !child.WaitForExit(timeoutMs, &exitCode)) return -1;
    return static_cast<long>(exitCode);
}

long RunToExitCapturingOutput(const std::string& exe, const std::string& commandTail,
                              const std::string& workingFolder, std::string* output, DWORD timeoutMs) {
    output->clear();
    SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, nullptr, TRUE};
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inheritable, 0)) return -1;
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);

    PROCESS_INFORMATION started = {};
    bool ok = StartProcess(exe, commandTail, workingFolder, writeEnd, &started);
    CloseHandle(writeEnd);  // the pipe then ends when the child's copy closes
    if (!ok) {
        CloseHandle(readEnd);
        return -1;
    }
    // Read while waiting, so a large output cannot block the child on a full pipe.
    ULONGLONG deadline = GetTickCount64() + timeoutMs;
    bool ended = false;
    while (!ended && GetTickCount64() < deadline) {
        ended = WaitForSingleObject(started.hProcess, 20) == WAIT_OBJECT_0;
        DWORD available = 0;
        while (PeekNamedPipe(readEnd, nullptr, 0, nullptr, &available, nullptr) && available > 0) {
            char chunk[1024];
            DWORD got = 0;
            if (!ReadFile(readEnd, chunk, std::min<DWORD>(available, sizeof chunk), &got, nullptr) || got == 0) break;
            output->append(chunk, got);
        }
    }
    long result = -1;
    DWORD exitCode = 0;
    if (ended && GetExitCodeProcess(started.hProcess, &exitCode)) {
        result = static_cast<long>(exitCode);
    } else {
        TerminateProcess(started.hProcess, 1);
        WaitForSingleObject(started.hProcess, 5000);
    }
    CloseHandle(started.hProcess);
    CloseHandle(readEnd);
    return result;
}

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
    ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        if (condition()) return true;
        if (GetTickCount64() >= deadline) return false;
        Sleep(20);
    }
}

// ------------------------------------------------------------ DisplayMode

DisplayMode::DisplayMode(DWORD width, DWORD height) {
    original_.dmSize = sizeof original_;
    if (!EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &original_)) return;
    DEVMODEA mode = {};
    mode.dmSize = sizeof mode;
    mode.dmPelsWidth = width;
    mode.dmPelsHeight = height;
    mode.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT;
    changed_ = ChangeDisplaySettingsExA(nullptr, &mode, nullptr, 0, nullptr) == DISP_CHANGE_SUCCESSFUL;
}

DisplayMode::~DisplayMode() {
    if (!changed_) return;
    original_.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT;
    ChangeDisplaySettingsExA(nullptr, &original_, nullptr, 0, nullptr);
}

// --------------------------------------------------------- StandinDesktop

StandinDesktop::StandinDesktop(const std::string& options) : process_(StandinDesktopExe(), options, "") {
    if (!process_.Started()) return;
    const bool withoutView = options.find("--parent none") != std::string::npos;
    // The stand-in has filled and placed its icons before it first waits
    // for input.
    WaitForInputIdle(process_.Handle(), kStandinStartTimeoutMs);
    WaitUntil(
        [&] {
            if (!process_.IsRunning()) return true;
            HWND progman = FindTopLevelOf(process_.Id(), "Progman");
            if (progman == nullptr || !IsWindowVisible(progman)) return false;
            HWND view = ListViewUnder(progman);
            if (view == nullptr) view = ListViewUnder(FindTopLevelOf(process_.Id(), "WorkerW"));
            if (view == nullptr && !withoutView) return false;
            topLevel_ = progman;
            listView_ = view;
            return true;
        },
        kStandinStartTimeoutMs);
}

StandinDesktop::~StandinDesktop() {
    if (topLevel_ != nullptr && process_.IsRunning()) {
        PostMessageA(topLevel_, WM_CLOSE, 0, 0);
        process_.WaitForExit(kStandinCloseTimeoutMs, nullptr);
    }
    // ChildProcess ends it for good if it did not close.
}

bool StandinDesktop::Ready() const { return topLevel_ != nullptr && process_.IsRunning(); }

HWND StandinDesktop::ListView() const { return listView_; }

DWORD StandinDesktop::ProcessId() const { return process_.Id(); }

int StandinDesktop::IconCount() const {
    if (listView_ == nullptr) return 0;
    return static_cast<int>(SendWithTimeout(listView_, LVM_GETITEMCOUNT, 0, 0));
}

std::vector<DesktopIcon> StandinDesktop::Icons() const {
    std::vector<DesktopIcon> icons;
    if (listView_ == nullptr) return icons;
    const ScopedHandle opened(OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, process_.Id()));
    if (!opened) return icons;
    HANDLE shell = opened.Get();
    auto* remote = static_cast<RemoteExchange*>(
        VirtualAllocEx(shell, nullptr, sizeof(RemoteExchange), MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
    if (remote != nullptr) {
        int count = IconCount();
        for (int index = 0; index < count; ++index) {
            LVITEMA item = {};
            item.mask = LVIF_TEXT;
            item.iItem = index;
            item.pszText = remote->label;
            item.cchTextMax = kLabelCapacity;
            POINT position = {};
            // The control may point pszText at its own copy instead of filling ours.
            bool read = WriteProcessMemory(shell, &remote->item, &item, sizeof item, nullptr) &&
                        SendWithTimeout(listView_, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&remote->item)) != -1 &&
                        SendWithTimeout(listView_, LVM_GETITEMPOSITION, static_cast<WPARAM>(index),
                                        reinterpret_cast<LPARAM>(&remote->position)) != -1 &&
                        ReadProcessMemory(shell, &remote->item, &item, sizeof item, nullptr) &&
                        ReadProcessMemory(shell, &remote->position, &position, sizeof position, nullptr);
            if (!read) break;
            std::string label = ReadRemoteString(shell, item.pszText, kLabelCapacity - 1);
            icons.push_back(DesktopIcon{index, static_cast<int>(position.x), static_cast<int>(position.y), label});
        }
        VirtualFreeEx(shell, remote, 0, MEM_RELEASE);
    }
    return icons;
}

void StandinDesktop::SetIconPosition(int index, int x, int y) {
    // Each coordinate travels as its low 16 bits, as the programs send it.
    auto packed = (static_cast<std::uint32_t>(y) & 0xFFFFu) << 16 | (static_cast<std::uint32_t>(x) & 0xFFFFu);
    SendWithTimeout(listView_, LVM_SETITEMPOSITION, static_cast<WPARAM>(index), static_cast<LPARAM>(packed));
}

void StandinDesktop::AddIcon(const std::string& label) {
    std::wstring wide = AnsiToWide(label);
    SendRequest(topLevel_, standin::kAddIcon, wide.data(), static_cast<DWORD>(wide.size() * sizeof(wchar_t)));
}

void StandinDesktop::RemoveIcon(int index) {
    std::int32_t payload = index;
    SendRequest(topLevel_, standin::kRemoveIcon, &payload, sizeof payload);
}

int StandinDesktop::MovesReceived() const {
    std::string output;
    if (RunToExitCapturingOutput(StandinDesktopExe(), "--moves", "", &output) != 0) return -1;
    char* end = nullptr;
    long moves = std::strtol(output.c_str(), &end, 10);
    return end != output.c_str() && *end == '\n' ? static_cast<int>(moves) : -1;
}

ArrangingStyles StandinDesktop::Styles() const {
    ArrangingStyles styles = {false, false};
    // Unread, "both off" would pass for what tornelo and lokari are to leave.
    if (listView_ == nullptr || !ReadArrangingStyles(listView_, kMessageTimeoutMs, &styles)) {
        ADD_FAILURE() << "the stand-in's arranging styles could not be read";
    }
    return styles;
}

void StandinDesktop::SwitchStyles(ArrangingStyles which, bool on) {
    if (listView_ == nullptr) return;
    if (which.snapToGrid)
        SendWithTimeout(listView_, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_SNAPTOGRID, on ? LVS_EX_SNAPTOGRID : 0);
    if (which.autoArrange) {
        const LONG_PTR style = GetWindowLongPtrA(listView_, GWL_STYLE);
        SetWindowLongPtrA(listView_, GWL_STYLE, on ? style | LVS_AUTOARRANGE : style & ~LONG_PTR{LVS_AUTOARRANGE});
    }
}
