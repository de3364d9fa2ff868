// Where the desktop view lies on the screen, and the mapping between its
// item coordinates (what LVM_SETITEMPOSITION takes) and screen pixels.
// Shared by tornelo, which centres its spiral on the primary screen, and
// lokari, which leaves icons that no screen would show whole. Portable.
#pragma once

#include <cstdint>

struct PixelPoint {
    int x;
    int y;
};

struct PixelRect {
    int left;
    int top;
    int right;   // exclusive
    int bottom;  // exclusive
};

struct ViewPlacement {
    PixelPoint clientOnScreen;  // the view's client corner in screen pixels
    PixelPoint origin;          // LVM_GETORIGIN: the item coordinates at that corner
};

namespace view_geometry_detail {

// Sums far outside the screen saturate instead of overflowing.
inline int Saturated(std::int64_t value) {
    if (value > INT32_MAX) return INT32_MAX;
    if (value < INT32_MIN) return INT32_MIN;
    return static_cast<int>(value);
}

}  // namespace view_geometry_detail

inline PixelPoint ScreenToViewItem(const ViewPlacement& view, PixelPoint screen) {
    using view_geometry_detail::Saturated;
    return {Saturated(std::int64_t{screen.x} - view.clientOnScreen.x + view.origin.x),
            Saturated(std::int64_t{screen.y} - view.clientOnScreen.y + view.origin.y)};
}

inline PixelPoint ViewItemToScreen(const ViewPlacement& view, PixelPoint item) {
    using view_geometry_detail::Saturated;
    return {Saturated(std::int64_t{item.x} - view.origin.x + view.clientOnScreen.x),
            Saturated(std::int64_t{item.y} - view.origin.y + view.clientOnScreen.y)};
}

// The screens' rectangles, listed once for a run of many places: asked of the
// system place by place, between two moves, they cost a restore under Wine
// about 10 ms a place.
struct ScreenList {
    static constexpr int kLimit = 32;
    PixelRect screens[kLimit];
    int count = 0;
    bool overflowed = false;

    void Add(const PixelRect& screen) {
        if (count < kLimit)
            screens[count++] = screen;
        else
            overflowed = true;
    }
    // Whether the cell shares a pixel with a screen, as MonitorFromRect judges.
    bool Shows(const PixelRect& cell) const {
        for (int i = 0; i < count; ++i) {
            const PixelRect& s = screens[i];
            if (cell.left < s.right && s.left < cell.right && cell.top < s.bottom && s.top < cell.bottom) return true;
        }
        return false;
    }
    // Whether one screen holds the whole area: a part that shows on no screen,
    // or only across two, is no icon in sight.
    bool HoldsWhole(const PixelRect& area) const {
        for (int i = 0; i < count; ++i) {
            const PixelRect& s = screens[i];
            if (s.left <= area.left && area.right <= s.right && s.top <= area.top && area.bottom <= s.bottom) return true;
        }
        return false;
    }
};
