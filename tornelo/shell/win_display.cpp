#include "shell/win_display.h"

#include "shell/win_platform.h"
#include "shell_process.h"
#include "view_geometry.h"

namespace {

constexpr UINT kOriginAnswerMs = 2000;

// What the display looked like at the last measurement.
struct MeasuredLook {
    RECT viewWindow;
    int fullScreenWidth;
    int fullScreenHeight;
};
MeasuredLook lastLook = {};

MeasuredLook LookNow(HWND view) {
    MeasuredLook look = {};
    if (IsWindow(view)) GetWindowRect(view, &look.viewWindow);
    look.fullScreenWidth = GetSystemMetrics(SM_CXFULLSCREEN);
    look.fullScreenHeight = GetSystemMetrics(SM_CYFULLSCREEN);
    return look;
}

}  // namespace

DisplayMetrics MeasureDisplay(HWND view) {
    lastLook = LookNow(view);
    PixelPoint primaryCorner = {0, 0};
    PixelPoint virtualRight = {GetSystemMetrics(SM_XVIRTUALSCREEN) + GetSystemMetrics(SM_CXVIRTUALSCREEN), 0};
    if (IsWindow(view)) {
        const ShellWait wait;
        const ViewPlacement placement = MeasureViewPlacement(view, kOriginAnswerMs);
        primaryCorner = ScreenToViewItem(placement, primaryCorner);
        virtualRight = ScreenToViewItem(placement, virtualRight);
    }
    return {lastLook.fullScreenWidth, lastLook.fullScreenHeight, primaryCorner.x, primaryCorner.y, virtualRight.x};
}

bool DisplayMovedSinceMeasured(HWND view) {
    const MeasuredLook now = LookNow(view);
    return !EqualRect(&now.viewWindow, &lastLook.viewWindow) || now.fullScreenWidth != lastLook.fullScreenWidth ||
           now.fullScreenHeight != lastLook.fullScreenHeight;
}
