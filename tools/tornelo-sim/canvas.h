// An 8-bit palette picture and the few shapes the simulator draws.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

struct PaletteColor {
    uint8_t red;
    uint8_t green;
    uint8_t blue;
};

class Canvas {
public:
    Canvas(int width, int height);

    int Width() const { return width_; }
    int Height() const { return height_; }
    const uint8_t* Pixels() const { return pixels_.data(); }
    const uint8_t* Row(int y) const { return pixels_.data() + static_cast<size_t>(y) * static_cast<size_t>(width_); }

    void Fill(uint8_t color);
    // Clipped to the picture: shapes may stand partly or wholly outside.
    void FillRect(long left, long top, long width, long height, uint8_t color);
    void FrameRect(long left, long top, long width, long height, uint8_t color);
    void Text(long left, long top, const char* text, uint8_t color);
    static long TextWidth(const char* text);

private:
    void Plot(long x, long y, uint8_t color);

    int width_;
    int height_;
    std::vector<uint8_t> pixels_;
};
