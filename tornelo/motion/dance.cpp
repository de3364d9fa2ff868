#include <climits>

#include "motion/motion.h"
#include "motion/platform_seam.h"
#include "motion/trunc_to_int.h"
#include "settings/settings.h"
#include "shell/app_state.h"

namespace {

enum class RadiusMove { CloseRing, Keep, Expand, Contract };

struct DanceRow {
    int phase;
    double fromPosition;  // song pointer, sixteenth notes
    RadiusMove radius;
    int revolutionTime;
    int nextPhase;
};

// Tested in this order; in phase 5 the later windows come first.
constexpr DanceRow kDanceRows[] = {
    {0, 1.0, RadiusMove::CloseRing, 30000, 1},
    {1, 34.0, RadiusMove::CloseRing, 25, 2},
    {2, 50.0, RadiusMove::CloseRing, -25, 3},
    {3, 66.0, RadiusMove::CloseRing, 25, 4},
    {4, 82.0, RadiusMove::CloseRing, -25, 5},
    {5, 162.0, RadiusMove::Keep, 25, 6},
    {5, 147.0, RadiusMove::Expand, 30000, 5},
    {5, 130.0, RadiusMove::Contract, 30000, 5},
    {5, 115.0, RadiusMove::Expand, 30000, 5},
    {5, 98.0, RadiusMove::Contract, 30000, 5},
    {6, 178.0, RadiusMove::CloseRing, 12, 7},
    {7, 210.0, RadiusMove::CloseRing, -12, 8},
};

constexpr int kSmallestDanceRadius = 30;

int ClampedSum(int radius, long long change) {
    long long sum = radius + change;
    if (sum < kSmallestDanceRadius) sum = kSmallestDanceRadius;
    if (sum > INT_MAX) sum = INT_MAX;
    return static_cast<int>(sum);
}

void MoveRadius(RadiusMove move, double danceRadiusStep) {
    Settings& s = runningSettings;
    const int step = TruncToInt(danceRadiusStep);
    switch (move) {
        case RadiusMove::CloseRing: s.innerRadius = s.outerRadius; return;
        case RadiusMove::Keep: return;
        case RadiusMove::Expand: s.innerRadius = ClampedSum(s.innerRadius, step); break;
        case RadiusMove::Contract: s.innerRadius = ClampedSum(s.innerRadius, -static_cast<long long>(step)); break;
    }
    s.outerRadius = s.innerRadius;
}

void CarryOut(const DanceRow& row, double danceRadiusStep) {
    MoveRadius(row.radius, danceRadiusStep);
    runningSettings.revolutionTime = row.revolutionTime;
    runningSettings.turns = 1.0;
    runningSettings.spacingRatio = 1.0;
    appMode.layoutDirty = 1;
    appMode.dancePhase = row.nextPhase;
}

}  // namespace

void DanceStep(double danceRadiusStep) {
    const double position = platform.music->SongPosition();
    for (const DanceRow& row : kDanceRows) {
        if (row.phase == appMode.dancePhase && position >= row.fromPosition) {
            CarryOut(row, danceRadiusStep);
            return;
        }
    }
}
