// The floor of a lokari run as a program of its own, started the same way
// lokari is: "save" does per item exactly the transfers and messages of a
// save, "restore X0 Y0" those of a restore, moving every icon to the bare
// grid at (X0, Y0). No file, no window class, no message loop.
// Two more modes split a run's fixed cost: "nothing" only starts and ends;
// "entry" does lokari's start-up (the window class, the refused window, the
// drained message loop) and no item.
#include <windows.h>

#include <cstdlib>
#include <cstring>

#include "shell_floor.h"

namespace {

bool Is(const char* commandLine, const char* mode) { return std::strncmp(commandLine, mode, std::strlen(mode)) == 0; }

LRESULT CALLBACK RefusingWindowProcedure(HWND, UINT, WPARAM, LPARAM) { return 0; }

void LokariEntrySteps(HINSTANCE instance) {
    WNDCLASSA windowClass = {};
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = RefusingWindowProcedure;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32641));
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    windowClass.lpszClassName = "lokari_floor";
    RegisterClassA(&windowClass);
    HWND window = CreateWindowExA(0, "lokari_floor", "lokari_floor", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                  CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance, nullptr);
    ShowWindow(window, SW_HIDE);
    UpdateWindow(window);
    PostQuitMessage(0);
    MSG message = {};
    while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
    if (Is(commandLine, "nothing")) return 0;
    if (Is(commandLine, "entry")) {
        LokariEntrySteps(instance);
        return 0;
    }
    const bool restore = Is(commandLine, "restore");
    int x0 = 0, y0 = 0;
    if (restore) {
        char* rest = commandLine + 7;
        x0 = static_cast<int>(std::strtol(rest, &rest, 10));
        y0 = static_cast<int>(std::strtol(rest, &rest, 10));
    }
    BareItemLoop(restore, x0, y0);
    return 0;
}
