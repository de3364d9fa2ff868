// lokari's entry: no argument saves the desktop icon positions, any argument
// is the path of a snapshot file to restore them from.
#include "debug_trace.h"
#include "icon_positions.h"
#include "snapshot_file.h"

#include <windows.h>

namespace {

// Answering 0 to WM_NCCREATE makes the platform refuse the window: lokari
// needs a registered class and a message loop, never a window.
LRESULT CALLBACK LokariWindowProcedure(HWND, UINT, WPARAM, LPARAM) {
    return 0;
}

bool RegisterLokariClass(HINSTANCE instance) {
    WNDCLASSA windowClass = {};
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = LokariWindowProcedure;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32641));  // IDC_ICON
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    windowClass.lpszClassName = "lokari";
    if (RegisterClassA(&windowClass)) return true;
    TraceFailure("RegisterClass(\"lokari\")");
    return false;
}

void RunOperation(const wchar_t* commandLine) {
    if (commandLine != nullptr && commandLine[0] != L'\0') {
        RestoreIconPositions(commandLine);
    } else {
        SaveIconPositions();
    }
}

// The operation has already posted WM_QUIT: this only drains the queue.
// Returns the exit code WM_QUIT carries.
int RunMessageLoop() {
    MSG message = {};
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return static_cast<int>(message.wParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previousInstance, LPSTR, int) {
    if (previousInstance == nullptr && !RegisterLokariClass(instance)) return 0;
    HWND window = CreateWindowExA(0, "lokari", "lokari", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                                  CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance, nullptr);
    ShowWindow(window, SW_HIDE);
    UpdateWindow(window);
    // The wide command line: in the ANSI one, a path with characters outside
    // the code page arrives with "?" in their place.
    RunOperation(ArgumentAfterProgramName(GetCommandLineW()));
    return RunMessageLoop();
}
