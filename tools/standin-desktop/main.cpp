// standin-desktop.exe: plays the shell's desktop for the programs under test.
//
//   standin-desktop.exe [--icons N | --labels FILE] [--parent progman|workerw|none]
//                       [--view-offset DX,DY] [--auto-arrange] [--align-to-grid]
//                       [--slow-style-off MS]
//   standin-desktop.exe --dump | --add LABEL | --remove INDEX | --freeze MS | --moves
//
// --labels FILE: one label per line, UTF-8; a file that starts with the
// UTF-8 mark puts them in as UTF-16 (any script), one without it through the
// ANSI code page. --add puts its label in as UTF-16.
// The last five act on the stand-in that runs already and then end;
// --freeze returns at once and the stand-in then answers nothing for MS ms;
// --moves prints how many icon moves other programs have sent its view.
// --view-offset plays monitors left of and above the primary one: the
// desktop starts DX, DY pixels before the primary screen's corner.
// --auto-arrange and --align-to-grid start the view with that style on, and
// the stand-in then places icons as Windows' list-view does with it.
// --slow-style-off plays a shell that takes MS ms to switch either style off.
#include <windows.h>

#include <shellapi.h>

#include <cstdint>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "standin_desktop.h"
#include "standin_model.h"
#include "standin_protocol.h"

namespace {

constexpr UINT kRequestTimeoutMs = 10000;
constexpr int kMaxIcons = 10000;
constexpr int kLongestFreezeMs = 600000;
constexpr int kLargestOffset = 20000;

enum class Action { Serve, Dump, Add, Remove, Freeze, Moves };

struct Options {
    Action action = Action::Serve;
    standin::DesktopLook look;
    int icons = 0;
    std::wstring labelsFile;
    std::wstring addLabel;
    int removeIndex = -1;
    int freezeMs = 0;
};

// The program has no console: write to whatever standard handle it inherited.
void WriteTo(DWORD standardHandle, const std::string& text) {
    HANDLE handle = GetStdHandle(standardHandle);
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE || text.empty()) return;
    DWORD written = 0;
    WriteFile(handle, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

void Complain(const std::string& text) { WriteTo(STD_ERROR_HANDLE, "standin-desktop: " + text + "\n"); }

bool ParseCount(const std::wstring& text, int limit, int* value) {
    if (text.empty() || text.size() > 6) return false;
    int number = 0;
    for (wchar_t digit : text) {
        if (digit < L'0' || digit > L'9') return false;
        number = number * 10 + (digit - L'0');
    }
    if (number > limit) return false;
    *value = number;
    return true;
}

// "DX,DY", both whole numbers from 0.
bool ParseOffset(const std::wstring& text, standin::DesktopLook* look) {
    const size_t comma = text.find(L',');
    if (comma == std::wstring::npos) return false;
    return ParseCount(text.substr(0, comma), kLargestOffset, &look->offsetX) &&
           ParseCount(text.substr(comma + 1), kLargestOffset, &look->offsetY);
}

bool ParseOptions(int argc, wchar_t** argv, Options* options) {
    for (int i = 1; i < argc; ++i) {
        std::wstring option = argv[i];
        bool hasValue = i + 1 < argc;
        if (option == L"--icons" && hasValue) {
            if (!ParseCount(argv[++i], kMaxIcons, &options->icons)) return false;
        } else if (option == L"--labels" && hasValue) {
            options->labelsFile = argv[++i];
        } else if (option == L"--parent" && hasValue) {
            std::wstring parent = argv[++i];
            if (parent == L"progman") options->look.parent = standin::ViewParent::Progman;
            else if (parent == L"workerw") options->look.parent = standin::ViewParent::WorkerW;
            else if (parent == L"none") options->look.parent = standin::ViewParent::None;
            else return false;
        } else if (option == L"--view-offset" && hasValue) {
            if (!ParseOffset(argv[++i], &options->look)) return false;
        } else if (option == L"--auto-arrange") {
            options->look.autoArrange = true;
        } else if (option == L"--align-to-grid") {
            options->look.alignToGrid = true;
        } else if (option == L"--slow-style-off" && hasValue) {
            if (!ParseCount(argv[++i], kLongestFreezeMs, &options->look.slowStyleOffMs)) return false;
        } else if (option == L"--dump") {
            options->action = Action::Dump;
        } else if (option == L"--moves") {
            options->action = Action::Moves;
        } else if (option == L"--add" && hasValue) {
            options->action = Action::Add;
            options->addLabel = argv[++i];
        } else if (option == L"--remove" && hasValue) {
            options->action = Action::Remove;
            if (!ParseCount(argv[++i], kMaxIcons, &options->removeIndex)) return false;
        } else if (option == L"--freeze" && hasValue) {
            options->action = Action::Freeze;
            if (!ParseCount(argv[++i], kLongestFreezeMs, &options->freezeMs)) return false;
        } else {
            return false;
        }
    }
    return true;
}

bool ReadWholeFile(const std::wstring& path, std::string* contents) {
    FILE* file = _wfopen(path.c_str(), L"rb");
    if (file == nullptr) return false;
    char chunk[1024];
    size_t got = 0;
    while ((got = fread(chunk, 1, sizeof chunk, file)) > 0) contents->append(chunk, got);
    fclose(file);
    return true;
}

// ------------------------------------------------ requests to a running one

std::string dumpReceived;
bool dumpArrived = false;

LRESULT CALLBACK ReplyWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COPYDATA) {
        const auto* reply = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        if (reply->dwData == standin::kDumpReply) {
            if (reply->lpData != nullptr) dumpReceived.assign(static_cast<const char*>(reply->lpData), reply->cbData);
            dumpArrived = true;
            return 1;
        }
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// Sends one request to the running stand-in; false when none answers.
bool SendRequest(standin::Request request, const void* payload, DWORD size, LRESULT* result) {
    HWND desktop = FindWindowA(standin::kRequestWindowClass, nullptr);
    if (desktop == nullptr) {
        Complain("no stand-in desktop is running");
        return false;
    }
    COPYDATASTRUCT data = {};
    data.dwData = request;
    data.cbData = size;
    data.lpData = const_cast<void*>(payload);
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutA(desktop, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG,
                             kRequestTimeoutMs, &answer)) {
        Complain("the stand-in desktop did not answer");
        return false;
    }
    *result = static_cast<LRESULT>(answer);
    return true;
}

int Dump(HINSTANCE instance) {
    WNDCLASSEXA replyClass = {};
    replyClass.cbSize = sizeof replyClass;
    replyClass.lpfnWndProc = ReplyWindowProc;
    replyClass.hInstance = instance;
    replyClass.lpszClassName = "StandinDesktopReply";
    RegisterClassExA(&replyClass);
    HWND replyWindow = CreateWindowExA(0, replyClass.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                       instance, nullptr);
    std::uint64_t replyHandle = reinterpret_cast<ULONG_PTR>(replyWindow);
    LRESULT answered = 0;
    // The answer comes as a message sent to us while we wait for our own.
    if (!SendRequest(standin::kDumpIcons, &replyHandle, sizeof replyHandle, &answered)) return 1;
    if (answered != 1 || !dumpArrived) {
        Complain("the stand-in desktop sent no icons");
        return 1;
    }
    WriteTo(STD_OUTPUT_HANDLE, dumpReceived);
    return 0;
}

int Add(const std::wstring& label) {
    LRESULT count = 0;
    if (!SendRequest(standin::kAddIcon, label.data(), static_cast<DWORD>(label.size() * sizeof(wchar_t)), &count)) {
        return 1;
    }
    return count >= 0 ? 0 : 1;
}

int Remove(int index) {
    std::int32_t payload = index;
    LRESULT count = 0;
    if (!SendRequest(standin::kRemoveIcon, &payload, sizeof payload, &count)) return 1;
    if (count < 0) Complain("there is no icon " + std::to_string(index));
    return count >= 0 ? 0 : 1;
}

int Freeze(int milliseconds) {
    std::int32_t payload = milliseconds;
    LRESULT scheduled = 0;
    if (!SendRequest(standin::kFreeze, &payload, sizeof payload, &scheduled)) return 1;
    if (scheduled != 1) Complain("the stand-in desktop refused to freeze");
    return scheduled == 1 ? 0 : 1;
}

int PrintMoves() {
    LRESULT moves = 0;
    if (!SendRequest(standin::kCountMoves, nullptr, 0, &moves)) return 1;
    WriteTo(STD_OUTPUT_HANDLE, std::to_string(moves) + "\n");
    return 0;
}

int Serve(HINSTANCE instance, const Options& options) {
    std::vector<std::string> labels;
    standin::DesktopLook look = options.look;
    if (!options.labelsFile.empty()) {
        std::string text;
        if (!ReadWholeFile(options.labelsFile, &text)) {
            Complain("cannot read the labels file " + standin::WideToUtf8(options.labelsFile));
            return 3;
        }
        labels = standin::SplitLabelLines(text);
        look.wideLabels = text.compare(0, 3, "\xEF\xBB\xBF") == 0;
    } else {
        labels = standin::GeneratedLabels(options.icons);
    }
    return standin::ServeDesktop(instance, look, labels);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    Options options;
    bool understood = argv != nullptr && ParseOptions(argc, argv, &options);
    LocalFree(argv);
    if (!understood) {
        Complain(
            "usage: standin-desktop.exe [--icons N | --labels FILE] [--parent progman|workerw|none]\n"
            "                           [--view-offset DX,DY] [--auto-arrange] [--align-to-grid]\n"
            "                           [--slow-style-off MS]\n"
            "       standin-desktop.exe --dump | --add LABEL | --remove INDEX | --freeze MS | --moves");
        return 2;
    }
    switch (options.action) {
    case Action::Dump: return Dump(instance);
    case Action::Add: return Add(options.addLabel);
    case Action::Remove: return Remove(options.removeIndex);
    case Action::Freeze: return Freeze(options.freezeMs);
    case Action::Moves: return PrintMoves();
    case Action::Serve: break;
    }
    return Serve(instance, options);
}
