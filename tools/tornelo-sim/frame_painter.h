// Draws the simulated desktop: a dark screen, a faint mark at the spiral's
// centre, every icon as a small coloured square with its label, and a
// caption with the tick and the mode.
#pragma once

#include <vector>

#include "canvas.h"
#include "sim_platform.h"

struct FrameCaption {
    long tick;
    double songPosition;
};

class FramePainter {
public:
    FramePainter(int width, int height, double scale);

    int Width() const { return canvas_.Width(); }
    int Height() const { return canvas_.Height(); }
    static std::vector<PaletteColor> Palette();

    // Reads the engine's state for the caption and the black hole.
    const Canvas& Paint(const std::vector<IconPosition>& icons, const FrameCaption& caption);

private:
    long Scaled(double value) const;
    void PaintCentreMark();
    void PaintIcon(int item, IconPosition at, bool isBlackHole);
    void PaintCaption(const FrameCaption& caption);

    int screenWidth_;
    int screenHeight_;
    double scale_;
    Canvas canvas_;
};
