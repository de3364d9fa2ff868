// "Auto arrange icons" (LVS_AUTOARRANGE) and "Align icons to grid"
// (LVS_EX_SNAPTOGRID) on the desktop's list-view. With either on, Windows
// places the icons itself: on grid cells, or in rows after every move. Both
// programs clear them for their moves and put back what they cleared.
#pragma once

#include <windows.h>

struct ArrangingStyles {
    bool autoArrange;
    bool snapToGrid;
};

// Both styles as the view has them now; false when the view did not answer
// within timeoutMs.
bool ReadArrangingStyles(HWND view, UINT timeoutMs, ArrangingStyles* styles);

// What one program cleared on one view, so that it puts back exactly that.
class ClearedArrangingStyles {
public:
    // Clears those of `wanted` that are on in `view`, and remembers what it
    // cleared there (a call for another view forgets the last one's). Each
    // message is bounded by timeoutMs; false when one went unanswered: what
    // was cleared before that is still remembered, and a later call on the
    // same view adds to it.
    bool Clear(HWND view, ArrangingStyles wanted, UINT timeoutMs);
    // Switches back on what was cleared, if that view still exists, and
    // forgets it. A style the user switched on again meanwhile stays on.
    void PutBack(UINT timeoutMs);
    HWND View() const { return view_; }
    ArrangingStyles Cleared() const { return cleared_; }

private:
    HWND view_ = nullptr;
    ArrangingStyles cleared_ = {false, false};
};
