#include "canvas.h"

#include <algorithm>
#include <cstring>

#include "tiny_font.h"

Canvas::Canvas(int width, int height)
    : width_(width), height_(height), pixels_(static_cast<size_t>(width) * static_cast<size_t>(height), 0) {}

void Canvas::Fill(uint8_t color) { std::fill(pixels_.begin(), pixels_.end(), color); }

void Canvas::FillRect(long left, long top, long width, long height, uint8_t color) {
    const long x0 = std::max(left, 0L);
    const long y0 = std::max(top, 0L);
    const long x1 = std::min(left + width, static_cast<long>(width_));
    const long y1 = std::min(top + height, static_cast<long>(height_));
    for (long y = y0; y < y1; ++y) {
        uint8_t* row = pixels_.data() + static_cast<size_t>(y) * static_cast<size_t>(width_);
        for (long x = x0; x < x1; ++x) row[x] = color;
    }
}

void Canvas::FrameRect(long left, long top, long width, long height, uint8_t color) {
    FillRect(left, top, width, 1, color);
    FillRect(left, top + height - 1, width, 1, color);
    FillRect(left, top, 1, height, color);
    FillRect(left + width - 1, top, 1, height, color);
}

void Canvas::Plot(long x, long y, uint8_t color) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
    pixels_[static_cast<size_t>(y) * static_cast<size_t>(width_) + static_cast<size_t>(x)] = color;
}

void Canvas::Text(long left, long top, const char* text, uint8_t color) {
    for (long column = 0; *text; ++text, column += kGlyphAdvance) {
        const unsigned char* rows = GlyphRows(*text);
        for (int y = 0; y < kGlyphHeight; ++y) {
            for (int x = 0; x < kGlyphWidth; ++x) {
                if (rows[y] & (0x10 >> x)) Plot(left + column + x, top + y, color);
            }
        }
    }
}

long Canvas::TextWidth(const char* text) {
    const long length = static_cast<long>(std::strlen(text));
    return length > 0 ? length * kGlyphAdvance - 1 : 0;
}
