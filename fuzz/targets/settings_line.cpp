// The settings file's line, read over the defaults, and what the engine then
// does with whatever values got through: no read past the line, every field
// within its bounds, and ticks of every mode free of undefined behaviour.
#include <climits>
#include <cmath>
#include <cstring>
#include <vector>

#include "fuzz_check.h"
#include "motion/icon_ring.h"
#include "motion/motion.h"
#include "motion/platform_seam.h"
#include "settings/settings.h"
#include "settings/settings_line.h"
#include "shell/app_state.h"
#include "shell/mode_control.h"

namespace {

class FixedCountView final : public DesktopView {
public:
    explicit FixedCountView(int count) : count_(count) {}
    int ItemCount() override { return count_; }
    bool SetItemPosition(int, uint32_t) override { return true; }

private:
    int count_;
};

bool IntegerFieldOk(int value, int unchanged, int lower, int upper) {
    if (value == unchanged) return true;
    // The lower bound is applied first, so a bound pair that crosses gives the upper one.
    if (upper < lower) return value == upper;
    return value >= lower && value <= upper;
}

bool RealFieldOk(double value, double unchanged, double lower, double upper) {
    return value == unchanged || (value >= lower && value <= upper);
}

void CheckBounds(const Settings& s, const Settings& defaults, int height, int itemCount) {
    const int radiusLimit = static_cast<int>(3LL * height / 4);
    FUZZ_CHECK(IntegerFieldOk(s.innerRadius, defaults.innerRadius, 1, radiusLimit));
    FUZZ_CHECK(IntegerFieldOk(s.outerRadius, defaults.outerRadius, 1, radiusLimit));
    FUZZ_CHECK(RealFieldOk(s.turns, defaults.turns, -20.0, 20.0) && s.turns != 0.0);
    FUZZ_CHECK(RealFieldOk(s.spacingRatio, defaults.spacingRatio, 0.001, 1000.0));
    FUZZ_CHECK(RealFieldOk(s.updateInterval, defaults.updateInterval, 0.001, 30000.0));
    FUZZ_CHECK(IntegerFieldOk(s.revolutionTime, defaults.revolutionTime, -30000, 30000) && s.revolutionTime != 0);
    FUZZ_CHECK(IntegerFieldOk(s.maxIcons, defaults.maxIcons, 1, 800));
    // Without an item the view gives no bound: the value is kept, but at least 1.
    const int blackHoleUpper = itemCount >= 1 ? itemCount : INT_MAX;
    FUZZ_CHECK(IntegerFieldOk(s.blackHoleIcon, defaults.blackHoleIcon, 1, blackHoleUpper));
}

// A few ticks of each mode and stage with the settings the line produced.
void RunEngine(const Settings& s, double blackHoleSeconds) {
    runningSettings = s;
    InitialLayout();
    MotionTick();
    appMode.layoutDirty = 1;
    MotionTick();
    MotionTick();
    appMode.mode = Mode::BlackHole;
    ResetBlackHole();
    blackHole.blackHoleElapsed = blackHoleSeconds;
    MotionTick();
    MotionTick();
    blackHole.blackHoleStage = BlackHoleStage::Trembling;
    blackHole.blackHoleElapsed = 4.999;
    MotionTick();
    MotionTick();
    blackHole.blackHoleStage = BlackHoleStage::Bursting;
    appMode.repeat = 1;
    MotionTick();
    blackHole.blackHoleElapsed = 6.5;
    MotionTick();
    // Without repeat the run ends and the settings file (absent here) is read.
    blackHole.blackHoleStage = BlackHoleStage::Bursting;
    blackHole.blackHoleElapsed = 6.5;
    appMode.repeat = 0;
    MotionTick();
    FUZZ_CHECK(iconRing.iconCount >= 0 && iconRing.iconCount <= 800);
}

}  // namespace

int Fuzz_settings_line(const std::uint8_t* data, std::size_t size) {
    InputBytes input(data, size);
    const int height = input.Word() % 4097;
    const int itemCount = input.Word() % 1001;
    const double blackHoleSeconds = input.Byte() * 4.0;
    FixedCountView view(itemCount);
    ResetEngine();
    platform.view = &view;
    screenHeight = height;
    screenWidth = height * 16 / 9;

    // Exactly as long as the input, so that a read past its end is caught.
    std::vector<char> line(input.Rest(), input.Rest() + input.RestSize());
    line.push_back('\0');
    const Settings defaults = DefaultSettings(height);
    Settings settings = defaults;
    ApplySettingsLine(settings, line.data(), height);
    CheckBounds(settings, defaults, height, itemCount);

    char formatted[256];
    FormatSettingsLine(formatted, sizeof formatted, settings);
    FUZZ_CHECK(std::memchr(formatted, '\0', sizeof formatted) != nullptr);

    RunEngine(settings, blackHoleSeconds);
    ResetPlatform();
    ResetEngine();
    return 0;
}
