// Drives a running tornelo from a shell script, one step per run, so that
// the script can take pictures in between (screenshots.sh).
//   tornelo-drive press X Y        open the tray menu at (X, Y); prints its frame
//   tornelo-drive choose POS X Y   open the menu at (X, Y) and choose position POS
//   tornelo-drive dismiss          close the open menu
//   tornelo-drive dialog settings|about   wait for the dialog; prints its frame
//   tornelo-drive close settings|about    close that dialog
//   tornelo-drive quit             end tornelo with its quit request
// Frames print as "left top right bottom". Exit code 0 on success.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "tornelo_under_test.h"

using namespace tornelo_test;

namespace {

void PrintFrame(HWND window) {
    RECT frame = {};
    GetWindowRect(window, &frame);
    std::printf("%ld %ld %ld %ld\n", frame.left, frame.top, frame.right, frame.bottom);
    std::fflush(stdout);
}

POINT PointFrom(int argc, char** argv, int first) {
    if (argc <= first + 1) return DefaultPointer();
    return POINT{std::atoi(argv[first]), std::atoi(argv[first + 1])};
}

int Usage() {
    std::fprintf(stderr,
                 "usage: tornelo-drive press X Y | choose POS [X Y] | dismiss | dialog settings|about"
                 " | close settings|about | quit\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return Usage();
    HWND mainWindow = nullptr;
    WaitUntil([&] { return (mainWindow = FindWindowA("tornelo", nullptr)) != nullptr; }, 10000);
    if (!mainWindow) {
        std::fprintf(stderr, "tornelo-drive: tornelo is not running\n");
        return 1;
    }
    DWORD processId = 0;
    GetWindowThreadProcessId(mainWindow, &processId);
    const char* command = argv[1];

    if (std::strcmp(command, "press") == 0) {
        HWND menu = PressTrayIcon(mainWindow, PointFrom(argc, argv, 2));
        if (!menu) return 1;
        Sleep(300);  // let it paint
        PrintFrame(menu);
        return 0;
    }
    if (std::strcmp(command, "choose") == 0 && argc >= 3) {
        return ChooseFromTrayMenu(mainWindow, std::atoi(argv[2]), PointFrom(argc, argv, 3)) ? 0 : 1;
    }
    if (std::strcmp(command, "dismiss") == 0) {
        HWND menu = FindOpenMenu(processId);
        return menu && DismissMenu(mainWindow, menu) ? 0 : 1;
    }
    if (std::strcmp(command, "dialog") == 0 && argc >= 3) {
        bool settings = std::strcmp(argv[2], "settings") == 0;
        HWND dialog = nullptr;
        WaitUntil([&] {
            dialog = settings ? FindSettingsDialog(processId) : FindAboutBox(processId);
            return dialog != nullptr && IsWindowVisible(dialog);
        }, 5000);
        if (!dialog) return 1;
        Sleep(300);
        PrintFrame(dialog);
        return 0;
    }
    if (std::strcmp(command, "close") == 0 && argc >= 3) {
        HWND dialog = std::strcmp(argv[2], "settings") == 0 ? FindSettingsDialog(processId) : FindAboutBox(processId);
        if (!dialog) return 1;
        SendMessageA(dialog, WM_CLOSE, 0, 0);
        return WaitUntil([&] { return !IsWindow(dialog); }, 5000) ? 0 : 1;
    }
    if (std::strcmp(command, "quit") == 0) {
        PostMessageA(mainWindow, WM_QUIT_REQUEST, 0, 0);
        return WaitUntil([&] { return !IsWindow(mainWindow); }, 8000) ? 0 : 1;
    }
    return Usage();
}
