#include "frame_painter.h"

#include <cmath>
#include <cstdio>

#include "motion/icon_ring.h"
#include "shell/app_state.h"

namespace {

// Desktop icon geometry in screen pixels: the item's position is the
// top-left corner of a cell this wide; the picture is centred in it.
constexpr int kCellWidth = 75;
constexpr int kIconSize = 32;
constexpr int kIconTop = 2;
constexpr int kLabelTop = 38;

enum PaletteIndex : uint8_t {
    kBackground, kCentreMark, kLabel, kCaption, kHighlight, kHoleBody, kHoleRim, kFirstIconColour,
};

const PaletteColor kIconColours[] = {
    {230, 96, 80},  {240, 160, 60}, {226, 206, 80}, {130, 200, 90}, {70, 180, 150}, {70, 160, 220},
    {110, 120, 230}, {170, 100, 220}, {220, 100, 170}, {180, 140, 100}, {140, 190, 200}, {200, 200, 200},
};
constexpr int kIconColourCount = sizeof kIconColours / sizeof kIconColours[0];

long RoundToLong(double value) {
    // Coordinates stay within the 16-bit range the list-view carries.
    if (!(value > -1e6)) return -1000000;
    if (value > 1e6) return 1000000;
    return std::lround(value);
}

const char* ModeName() {
    switch (appMode.mode) {
        case Mode::MayimMayim: return "mayim mayim";
        case Mode::BlackHole: return "black hole";
        default: return "normal";
    }
}

const char* StageName() {
    switch (blackHole.blackHoleStage) {
        case BlackHoleStage::Trembling: return "trembling";
        case BlackHoleStage::Bursting: return "bursting";
        default: return "swallowing";
    }
}

int ScaledSize(int pixels, double scale) {
    const long scaled = RoundToLong(pixels * scale);
    return scaled > 0 ? static_cast<int>(scaled) : 1;
}

}  // namespace

FramePainter::FramePainter(int width, int height, double scale)
    : screenWidth_(width),
      screenHeight_(height),
      scale_(scale),
      canvas_(ScaledSize(width, scale), ScaledSize(height, scale)) {}

std::vector<PaletteColor> FramePainter::Palette() {
    std::vector<PaletteColor> palette = {
        {16, 20, 30}, {58, 66, 84}, {196, 204, 218}, {120, 136, 160}, {245, 248, 252}, {0, 0, 0}, {170, 90, 255},
    };
    for (const PaletteColor& colour : kIconColours) palette.push_back(colour);
    return palette;
}

long FramePainter::Scaled(double value) const { return RoundToLong(value * scale_); }

const Canvas& FramePainter::Paint(const std::vector<IconPosition>& icons, const FrameCaption& caption) {
    canvas_.Fill(kBackground);
    PaintCentreMark();
    const bool holeShown = appMode.mode == Mode::BlackHole && iconRing.iconCount > 0;
    const int holeItem = holeShown ? SlotToItem(0) : -1;
    for (size_t item = 0; item < icons.size(); ++item) {
        if (static_cast<int>(item) != holeItem) PaintIcon(static_cast<int>(item), icons[item], false);
    }
    // The hole last, so that nothing covers it.
    if (holeItem >= 0 && holeItem < static_cast<int>(icons.size())) {
        PaintIcon(holeItem, icons[static_cast<size_t>(holeItem)], true);
    }
    PaintCaption(caption);
    return canvas_;
}

void FramePainter::PaintCentreMark() {
    const long x = Scaled(screenWidth_ / 2);
    const long y = Scaled(screenHeight_ / 2);
    const long arm = 6;
    canvas_.FillRect(x - arm, y, 2 * arm + 1, 1, kCentreMark);
    canvas_.FillRect(x, y - arm, 1, 2 * arm + 1, kCentreMark);
    canvas_.FrameRect(x - 2, y - 2, 5, 5, kCentreMark);
}

void FramePainter::PaintIcon(int item, IconPosition at, bool isBlackHole) {
    const long size = Scaled(kIconSize) > 4 ? Scaled(kIconSize) : 4;
    const long left = Scaled(at.x + (kCellWidth - kIconSize) / 2.0);
    const long top = Scaled(at.y + kIconTop);
    if (isBlackHole) {
        canvas_.FillRect(left - 2, top - 2, size + 4, size + 4, kHoleRim);
        canvas_.FillRect(left, top, size, size, kHoleBody);
    } else {
        const uint8_t colour = static_cast<uint8_t>(kFirstIconColour + item % kIconColourCount);
        canvas_.FillRect(left, top, size, size, colour);
        canvas_.FillRect(left, top, size, 1, kHighlight);
        canvas_.FillRect(left, top, 1, size, kHighlight);
    }
    char label[24];
    std::snprintf(label, sizeof label, "icon %02d", item + 1);
    const long labelLeft = left + size / 2 - Canvas::TextWidth(label) / 2;
    canvas_.Text(labelLeft, Scaled(at.y + kLabelTop) + (isBlackHole ? 2 : 0), label, kLabel);
}

void FramePainter::PaintCaption(const FrameCaption& caption) {
    char text[96];
    if (appMode.mode == Mode::MayimMayim) {
        std::snprintf(text, sizeof text, "tick %ld  %s  phase %d  song %.0f", caption.tick, ModeName(),
                      static_cast<int>(appMode.dancePhase), caption.songPosition);
    } else if (appMode.mode == Mode::BlackHole) {
        std::snprintf(text, sizeof text, "tick %ld  %s  %s", caption.tick, ModeName(), StageName());
    } else {
        std::snprintf(text, sizeof text, "tick %ld  %s", caption.tick, ModeName());
    }
    canvas_.Text(6, 6, text, kCaption);
}
