// What every Windows-side test under Wine needs: the programs' paths, a
// scratch folder, child processes with time-outs, and the stand-in
// desktop with a read-back of its icons.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "view_styles.h"

struct DesktopIcon {
    int index;
    int x;
    int y;
    std::string label;  // ANSI code page, as the list-view holds it
};

// Windows paths of the built programs and the music file (from the
// environment that the test registration sets).
std::string TorneloExe();
std::string LokariExe();
std::string StandinDesktopExe();
std::string MusicFile();

// A fresh, empty folder for one test; removed with everything in it at the end.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::string& Path() const { return path_; }
    std::string File(const std::string& name) const;  // Path() + "\\" + name
    std::vector<std::string> FileNames() const;       // plain files, sorted

private:
    std::string path_;
};

// A kernel handle, closed with its holder.
class ScopedHandle {
public:
    explicit ScopedHandle(HANDLE handle) : handle_(handle) {}
    ~ScopedHandle() {
        if (handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
    }
    ScopedHandle(const ScopedHandle&) = delete;
    ScopedHandle& operator=(const ScopedHandle&) = delete;
    HANDLE Get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE; }

private:
    HANDLE handle_;
};

// Files byte for byte. ReadWholeFile is false, or empty, when the file
// cannot be opened.
bool ReadWholeFile(const std::string& path, std::string* contents);
std::string ReadWholeFile(const std::string& path);
bool WriteWholeFile(const std::string& path, const std::string& bytes);

// What programs say through OutputDebugString, received the way debug-output
// viewers receive it (the DBWIN buffer; Wine has it too). Listening starts
// at the first call of ListenToDebugOutput and lasts as long as the test;
// DebugOutputOf gives one process's lines so far, in order.
void ListenToDebugOutput();
std::string DebugOutputOf(DWORD processId);

// A started program; terminated at destruction if it still runs.
class ChildProcess {
public:
    // commandTail is appended after the quoted program path, as typed.
    ChildProcess(const std::string& exe, const std::string& commandTail, const std::string& workingFolder);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    bool Started() const { return process_ != nullptr; }
    DWORD Id() const { return id_; }
    HANDLE Handle() const { return process_; }
    bool IsRunning() const;
    // True when the process ended within the time; its exit code goes to *exitCode.
    bool WaitForExit(DWORD timeoutMs, DWORD* exitCode);

private:
    HANDLE process_ = nullptr;
    DWORD id_ = 0;
};

// Runs a program to its end (killed after timeoutMs); returns its exit code,
// or -1 when it could not start or had to be killed.
long RunToExit(const std::string& exe, const std::string& commandTail, const std::string& workingFolder,
               DWORD timeoutMs = 30000);

// As RunToExit, and whatever the program writes to its standard output
// goes to *output.
long RunToExitCapturingOutput(const std::string& exe, const std::string& commandTail,
                              const std::string& workingFolder, std::string* output, DWORD timeoutMs = 30000);

// Polls every 20 ms until the condition holds or the time runs out.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs);

// The primary display at another resolution for the life of the object, as
// Wine's virtual desktop follows a mode change the way Windows does.
class DisplayMode {
public:
    DisplayMode(DWORD width, DWORD height);
    ~DisplayMode();
    DisplayMode(const DisplayMode&) = delete;
    DisplayMode& operator=(const DisplayMode&) = delete;
    bool Changed() const { return changed_; }

private:
    DEVMODEA original_ = {};
    bool changed_ = false;
};

// The stand-in desktop (tools/standin-desktop), started with options such
// as "--icons 30" or "--labels FILE --parent workerw"; the constructor
// returns once its list-view exists (or, with "--parent none", its window).
class StandinDesktop {
public:
    explicit StandinDesktop(const std::string& options);
    ~StandinDesktop();
    StandinDesktop(const StandinDesktop&) = delete;
    StandinDesktop& operator=(const StandinDesktop&) = delete;

    bool Ready() const;
    HWND ListView() const;        // null with "--parent none"
    DWORD ProcessId() const;
    int IconCount() const;
    std::vector<DesktopIcon> Icons() const;  // read across processes, index order
    void SetIconPosition(int index, int x, int y);
    void AddIcon(const std::string& label);  // at the end
    void RemoveIcon(int index);
    // Position messages its view has received from other programs since it
    // started (`standin-desktop.exe --moves`); -1 when it could not be read.
    int MovesReceived() const;
    // "Auto arrange icons" and "Align icons to grid" on its view, read and
    // switched from outside, as the user does from the desktop's menu. A read
    // that fails fails the test.
    ArrangingStyles Styles() const;
    bool BothStylesOff() const {
        const ArrangingStyles styles = Styles();
        return !styles.autoArrange && !styles.snapToGrid;
    }
    void SwitchStyles(ArrangingStyles which, bool on);
    void SwitchStylesOn(ArrangingStyles which) { SwitchStyles(which, true); }

private:
    ChildProcess process_;
    HWND listView_ = nullptr;
    HWND topLevel_ = nullptr;
};
