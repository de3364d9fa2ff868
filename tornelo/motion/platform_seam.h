// The engine's only ways out to the platform. The Windows build plugs in
// the shell's list-view, MCI, the Win32 timer and the C runtime's rand;
// tests and the simulator plug in recording or scripted stand-ins.
#pragma once

#include <cstddef>
#include <cstdint>

struct DisplayMetrics;

class DesktopView {
public:
    // What ItemCount answers when the shell did not answer in time.
    static constexpr int kNoAnswer = -1;

    virtual ~DesktopView() = default;
    // LVM_GETITEMCOUNT, or kNoAnswer.
    virtual int ItemCount() = 0;
    // LVM_SETITEMPOSITION; false when the shell did not answer in time.
    virtual bool SetItemPosition(int item, uint32_t packedXY) = 0;
    // Asked once a second: when the view has gone (the shell restarted) or
    // was never there, look it up again. True when a new view was found,
    // measured and made ready for moves; the engine then lays the spiral
    // out on it at once.
    virtual bool FindAgainIfGone() { return false; }
    // The display in the view's coordinates; false when it cannot be
    // measured, and the metrics are then left as they are.
    virtual bool MeasureDisplay(DisplayMetrics&) { return false; }
    // Asked once a second: whether the view's window or the full-screen
    // area differ from the last measurement (Explorer moves its view, the
    // taskbar changes, and no message says so).
    virtual bool MovedSinceMeasured() { return false; }
    // Whether the view has "Auto arrange icons" on: it then arranges the
    // whole desktop again after every move.
    virtual bool ArrangesItself() { return false; }
};

// The view's item count, 0 while the shell does not answer.
int ViewItemCount();

class AnimationTimer {
public:
    virtual ~AnimationTimer() = default;
    // Kill timer 100 and set it again with this period.
    virtual void Restart(unsigned periodMs) = 0;
};

class MusicDevice {
public:
    virtual ~MusicDevice() = default;
    // One MCI command string; the result is deliberately ignored. `reply`
    // may be null (size 0); `notifyMainWindow` names the main window as
    // the callback window for the completion notice.
    virtual void Send(const char* command, char* reply, size_t replySize, bool notifyMainWindow) = 0;

    // The tune's song position as the sequencer reports it; 0 when it
    // does not answer.
    double SongPosition();
};

class RandomSource {
public:
    virtual ~RandomSource() = default;
    virtual int Next() = 0;  // uniform 0..32767, like the C runtime's rand
};

// Never null: each starts as a do-nothing stand-in.
struct Platform {
    DesktopView* view;
    AnimationTimer* timer;
    MusicDevice* music;
    RandomSource* random;
};

extern Platform platform;

// Points every seam back at its do-nothing stand-in.
void ResetPlatform();
