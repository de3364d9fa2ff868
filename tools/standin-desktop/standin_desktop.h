// The serving side of the stand-in desktop: its windows, its list-view and
// the requests it answers.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace standin {

enum class ViewParent { Progman, WorkerW, None };

// How the desktop looks when it starts.
struct DesktopLook {
    ViewParent parent = ViewParent::Progman;
    // How far the desktop reaches left of and above the primary screen.
    int offsetX = 0;
    int offsetY = 0;
    // The view starts with "Auto arrange icons" (LVS_AUTOARRANGE) or
    // "Align icons to grid" (LVS_EX_SNAPTOGRID) on. Wine's list-view ignores
    // both when a position is set, so the stand-in plays their effect.
    bool autoArrange = false;
    bool alignToGrid = false;
    // A shell slow to switch either style off: it takes that long to handle
    // the change (LVM_SETEXTENDEDLISTVIEWSTYLE, WM_STYLECHANGING).
    int slowStyleOffMs = 0;
    // The starting labels go in as a real desktop holds them, in UTF-16
    // (LVM_INSERTITEMW), instead of through the ANSI code page.
    bool wideLabels = false;
};

// Creates the windows, fills the view with the labels (UTF-8), shows the
// desktop and runs the message loop until the "Progman" window is closed.
int ServeDesktop(HINSTANCE instance, const DesktopLook& look, const std::vector<std::string>& utf8Labels);

// Text conversions between UTF-8, UTF-16 and the ANSI code page.
std::wstring Utf8ToWide(const std::string& text);
std::string WideToUtf8(const std::wstring& text);
std::string WideToAnsi(const std::wstring& text);

}  // namespace standin
