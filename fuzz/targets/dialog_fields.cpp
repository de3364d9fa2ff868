// The settings dialog's eight texts turned into Settings: every value within
// its bounds, the radii independent of their order, the direction radios
// negating exactly, and what the dialog shows for the result reading back
// to the same values.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz_check.h"
#include "settings/settings_dialog_rules.h"

namespace {

constexpr int kTextCount = 8;

// The input after its leading bytes, cut at NUL bytes into up to eight
// texts; each is a heap block of exactly its own size.
std::vector<std::vector<char>> SplitTexts(const std::uint8_t* data, std::size_t size) {
    std::vector<std::vector<char>> texts(kTextCount);
    std::size_t field = 0;
    for (std::size_t i = 0; i < size && field < kTextCount; ++i) {
        if (data[i] == '\0') {
            ++field;
            continue;
        }
        texts[field].push_back(static_cast<char>(data[i]));
    }
    for (auto& text : texts) text.push_back('\0');
    return texts;
}

SettingsDialogTexts TextsOf(const std::vector<std::vector<char>>& t, bool rightward, bool counterClockwise) {
    return {t[0].data(), t[1].data(), t[2].data(), t[3].data(), t[4].data(),
            t[5].data(), t[6].data(), t[7].data(), rightward, counterClockwise};
}

// Field by field: the record's padding bytes hold nothing.
bool SameSettings(const Settings& a, const Settings& b) {
    return a.innerRadius == b.innerRadius && a.outerRadius == b.outerRadius && a.turns == b.turns &&
           a.spacingRatio == b.spacingRatio && a.updateInterval == b.updateInterval &&
           a.revolutionTime == b.revolutionTime && a.maxIcons == b.maxIcons && a.blackHoleIcon == b.blackHoleIcon;
}

void CheckBounds(const Settings& s, int height, int itemCount) {
    FUZZ_CHECK(s.innerRadius >= 1);
    FUZZ_CHECK(s.outerRadius <= static_cast<int>(3LL * height / 4));
    FUZZ_CHECK(std::isfinite(s.turns) && s.turns != 0.0 && std::fabs(s.turns) <= 20.0);
    FUZZ_CHECK(s.spacingRatio >= 0.001 && s.spacingRatio <= 1000.0);
    FUZZ_CHECK(s.updateInterval >= 0.001 && s.updateInterval <= 30000.0);
    FUZZ_CHECK(s.revolutionTime != 0 && s.revolutionTime >= -30000 && s.revolutionTime <= 30000);
    FUZZ_CHECK(s.maxIcons >= 1 && s.maxIcons <= 800);
    FUZZ_CHECK(s.blackHoleIcon >= 1 && s.blackHoleIcon <= (itemCount > 1 ? itemCount : 1));
}

bool Terminated(const char* text, std::size_t size) { return std::memchr(text, '\0', size) != nullptr; }

// The dialog opened on `s`, then applied unchanged.
void CheckShownValuesReadBack(const Settings& s, int height, int itemCount) {
    const SettingsDialogView view = SettingsDialogViewOf(s);
    FUZZ_CHECK(Terminated(view.turns, sizeof view.turns));
    FUZZ_CHECK(Terminated(view.spacingRatio, sizeof view.spacingRatio));
    FUZZ_CHECK(Terminated(view.updateInterval, sizeof view.updateInterval));
    FUZZ_CHECK(Terminated(view.revolutionTime, sizeof view.revolutionTime));
    FUZZ_CHECK(Terminated(view.maxIcons, sizeof view.maxIcons));
    // The up-down controls write their positions into the edits as plain numbers.
    char inner[16], outer[16], hole[16];
    std::snprintf(inner, sizeof inner, "%d", view.innerRadius);
    std::snprintf(outer, sizeof outer, "%d", view.outerRadius);
    std::snprintf(hole, sizeof hole, "%d", view.blackHoleIcon);
    const SettingsDialogTexts texts = {inner, outer, view.turns, view.spacingRatio, view.updateInterval,
                                       view.revolutionTime, view.maxIcons, hole, !view.leftward, !view.clockwise};
    const Settings again = SettingsFromDialog(texts, height, itemCount);
    FUZZ_CHECK(again.revolutionTime == s.revolutionTime);
    FUZZ_CHECK(again.maxIcons == s.maxIcons);
    FUZZ_CHECK(again.blackHoleIcon == s.blackHoleIcon);
    // Three decimals are shown: the read-back is within half of the last one.
    constexpr double kShownPrecision = 0.0005 + 1e-9;
    FUZZ_CHECK(std::fabs(again.spacingRatio - s.spacingRatio) <= kShownPrecision);
    FUZZ_CHECK(std::fabs(again.updateInterval - s.updateInterval) <= kShownPrecision);
    // A turn count that shows as 0.000 falls back to 3 turns, in the same direction.
    if (std::strtod(view.turns, nullptr) != 0.0)
        FUZZ_CHECK(std::fabs(again.turns - s.turns) <= kShownPrecision);
    else
        FUZZ_CHECK(std::fabs(again.turns) == 3.0 && (again.turns > 0) == (s.turns > 0));
}

}  // namespace

int Fuzz_dialog_fields(const std::uint8_t* data, std::size_t size) {
    InputBytes input(data, size);
    const std::uint8_t radios = input.Byte();
    const int height = input.Word() % 4097;
    const int itemCount = input.Word() % 1001;
    const bool rightward = radios & 1;
    const bool counterClockwise = radios & 2;
    auto texts = SplitTexts(input.Rest(), input.RestSize());

    const Settings s = SettingsFromDialog(TextsOf(texts, rightward, counterClockwise), height, itemCount);
    CheckBounds(s, height, itemCount);

    // The radii may be typed in either order.
    std::swap(texts[0], texts[1]);
    const Settings swapped = SettingsFromDialog(TextsOf(texts, rightward, counterClockwise), height, itemCount);
    FUZZ_CHECK(SameSettings(s, swapped));
    std::swap(texts[0], texts[1]);

    // Each direction radio negates its value and nothing else.
    const Settings flipped = SettingsFromDialog(TextsOf(texts, !rightward, !counterClockwise), height, itemCount);
    FUZZ_CHECK(flipped.turns == -s.turns);
    FUZZ_CHECK(flipped.revolutionTime == -s.revolutionTime);

    CheckShownValuesReadBack(s, height, itemCount);
    return 0;
}
