// The floor of a lokari run as a program of its own, started the same way
// lokari is: "save" does per item exactly the transfers and messages of a
// save, "restore X0 Y0" those of a restore, moving every icon to the bare
// grid at (X0, Y0). No file, no window class, no message loop.
// For splitting a run's cost: a leading "entry" adds lokari's start-up (the
// window class, the refused window and, at the end, the drained message
// loop); without "save" or "restore" the program does no item at all.
#include <windows.h>

#include <cstdlib>
#include <cstring>

#include "shell_floor.h"

namespace {

// Steps past `word` and the blanks after it when the text starts with it.
bool Take(char*& text, const char* word) {
    const size_t length = std::strlen(word);
    if (std::strncmp(text, word, length) != 0) return false;
    text += length;
    while (*text == ' ') ++text;
    return true;
}

LRESULT CALLBACK RefusingWindowProcedure(HWND, UINT, WPARAM, LPARAM) { return 0; }

void LokariStartUp(HINSTANCE instance) {
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
}

void DrainMessageLoop() {
    PostQuitMessage(0);
    MSG message = {};
    while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
    char* rest = commandLine;
    const bool entry = Take(rest, "entry");
    if (entry) LokariStartUp(instance);
    const bool restore = Take(rest, "restore");
    if (restore || Take(rest, "save")) {
        const int x0 = restore ? static_cast<int>(std::strtol(rest, &rest, 10)) : 0;
        const int y0 = restore ? static_cast<int>(std::strtol(rest, &rest, 10)) : 0;
        BareItemLoop(restore, x0, y0);
    }
    if (entry) DrainMessageLoop();
    return 0;
}
