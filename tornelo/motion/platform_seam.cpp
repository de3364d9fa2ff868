#include "motion/platform_seam.h"

#include "settings/number_text.h"

namespace {

class NoDesktopView final : public DesktopView {
public:
    int ItemCount() override { return 0; }
    bool SetItemPosition(int, uint32_t) override { return true; }
};

class NoTimer final : public AnimationTimer {
public:
    void Restart(unsigned) override {}
};

class NoMusic final : public MusicDevice {
public:
    void Send(const char*, char* reply, size_t replySize, bool) override {
        if (reply && replySize) reply[0] = '\0';
    }
};

class ZeroRandom final : public RandomSource {
public:
    int Next() override { return 0; }
};

NoDesktopView noView;
NoTimer noTimer;
NoMusic noMusic;
ZeroRandom zeroRandom;

}  // namespace

Platform platform = {&noView, &noTimer, &noMusic, &zeroRandom};

void ResetPlatform() { platform = {&noView, &noTimer, &noMusic, &zeroRandom}; }

double MusicDevice::SongPosition() {
    // Zeroed first: a failed query may leave the reply untouched.
    char reply[64] = {};
    Send("status mayimmayim position", reply, sizeof reply, false);
    reply[sizeof reply - 1] = '\0';
    return ReadRealText(reply);
}

int ViewItemCount() {
    const int count = platform.view->ItemCount();
    return count < 0 ? 0 : count;
}
