// The stand-ins the simulator plugs into the engine's seams: a desktop of
// N icons, a timer that only remembers its period, and a sequencer whose
// song position follows a script or a tempo on the simulated clock.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "motion/platform_seam.h"

struct IconPosition {
    int x;
    int y;
};

class MoveListener {
public:
    virtual ~MoveListener() = default;
    virtual void OnMove(int item, int x, int y) = 0;
};

class VirtualDesktop final : public DesktopView {
public:
    VirtualDesktop(int itemCount, int screenHeight);

    int ItemCount() override { return static_cast<int>(positions_.size()); }
    bool SetItemPosition(int item, uint32_t packedXY) override;

    // Every move the engine sends, in order, whether the item exists or not.
    void Listen(MoveListener* listener) { listener_ = listener; }
    const std::vector<IconPosition>& Positions() const { return positions_; }
    long MovesSent() const { return movesSent_; }

private:
    std::vector<IconPosition> positions_;
    MoveListener* listener_ = nullptr;
    long movesSent_ = 0;
};

// The signed coordinates a packed list-view position stands for.
IconPosition UnpackPosition(uint32_t packedXY);

// The icon grid of a fresh desktop: columns from the top-left corner.
IconPosition DesktopGridPosition(int item, int screenHeight);

class VirtualTimer final : public AnimationTimer {
public:
    explicit VirtualTimer(unsigned periodMs) : periodMs_(periodMs) {}
    void Restart(unsigned periodMs) override {
        periodMs_ = periodMs;
        ++restarts_;
    }
    // The time between two ticks: Windows runs no timer faster than 10 ms.
    unsigned TickSpacingMs() const { return periodMs_ < 10 ? 10 : periodMs_; }
    unsigned PeriodMs() const { return periodMs_; }
    long Restarts() const { return restarts_; }

private:
    unsigned periodMs_;
    long restarts_ = 0;
};

struct SongScript {
    bool followsTempo;               // else: `positions`, one per query
    double beatsPerMinute;           // four sixteenths per beat
    std::vector<double> positions;
    double songEnd;                  // sixteenths; the play ends here
};

// Answers the command strings of the music playback the way the MCI
// sequencer does for the purposes of the dance: "open", "play ... NOTIFY",
// "status ... position", "stop" and "close" under the alias "mayimmayim".
class SongClockDevice final : public MusicDevice {
public:
    explicit SongClockDevice(const SongScript& script) : script_(script) {}

    void Send(const char* command, char* reply, size_t replySize, bool notifyMainWindow) override;

    // Moves the simulated clock on; a play that reaches its end posts its
    // completion notice.
    void AdvanceClock(unsigned milliseconds);
    // True once per posted completion notice.
    bool TakeNotice();

    bool IsPlaying() const { return playing_; }
    double LastReportedPosition() const { return lastPosition_; }
    long Plays() const { return plays_; }

private:
    double PositionNow() const;
    bool ReachedEnd() const;
    void EndPlay();
    void ReplyPosition(char* reply, size_t replySize);

    SongScript script_;
    bool open_ = false;
    bool playing_ = false;
    bool notifyArmed_ = false;
    bool noticePosted_ = false;
    uint64_t nowMs_ = 0;
    uint64_t playStartMs_ = 0;
    size_t queriesThisPlay_ = 0;
    double lastPosition_ = 0.0;
    long plays_ = 0;
};
