// Draws lokari's program icon, 32x32 in the 16 standard colours on a
// transparent ground: three desktop icons with their labels, and a red pin
// holding one of them in place. Writes the .ico file named on the command
// line; the build uses the committed result.
//
//   g++ -std=c++17 -o make_icon make_icon.cpp && ./make_icon lokari.ico

#include <cstdint>
#include <cstdio>
#include <vector>

namespace {

constexpr int kSize = 32;
constexpr int kTransparent = -1;

enum Colour {
    kBlack = 0, kMaroon = 1, kGreen = 2, kOlive = 3, kNavy = 4, kPurple = 5, kTeal = 6, kSilver = 7,
    kGray = 8, kRed = 9, kLime = 10, kYellow = 11, kBlue = 12, kMagenta = 13, kCyan = 14, kWhite = 15,
};

// The standard 16-colour palette, as blue, green, red.
constexpr std::uint8_t kPalette[16][3] = {
    {0x00, 0x00, 0x00}, {0x00, 0x00, 0x80}, {0x00, 0x80, 0x00}, {0x00, 0x80, 0x80},
    {0x80, 0x00, 0x00}, {0x80, 0x00, 0x80}, {0x80, 0x80, 0x00}, {0xC0, 0xC0, 0xC0},
    {0x80, 0x80, 0x80}, {0x00, 0x00, 0xFF}, {0x00, 0xFF, 0x00}, {0x00, 0xFF, 0xFF},
    {0xFF, 0x00, 0x00}, {0xFF, 0x00, 0xFF}, {0xFF, 0xFF, 0x00}, {0xFF, 0xFF, 0xFF},
};

struct Picture {
    int pixel[kSize][kSize];  // [y][x], top row first

    Picture() {
        for (auto& row : pixel) for (int& p : row) p = kTransparent;
    }
    void Set(int x, int y, int colour) {
        if (x >= 0 && x < kSize && y >= 0 && y < kSize) pixel[y][x] = colour;
    }
    void Fill(int left, int top, int right, int bottom, int colour) {  // inclusive
        for (int y = top; y <= bottom; ++y) for (int x = left; x <= right; ++x) Set(x, y, colour);
    }
    void Frame(int left, int top, int right, int bottom, int colour) {
        Fill(left, top, right, top, colour);
        Fill(left, bottom, right, bottom, colour);
        Fill(left, top, left, bottom, colour);
        Fill(right, top, right, bottom, colour);
    }
    void Disc(int centreX, int centreY, int radius, int colour) {
        for (int y = -radius; y <= radius; ++y)
            for (int x = -radius; x <= radius; ++x)
                if (x * x + y * y <= radius * radius + radius / 2) Set(centreX + x, centreY + y, colour);
    }
};

void DrawFolder(Picture& p, int left, int top) {
    p.Fill(left, top + 1, left + 4, top + 2, kOlive);  // tab
    p.Fill(left, top + 2, left + 10, top + 8, kYellow);
    p.Frame(left, top + 2, left + 10, top + 8, kOlive);
}

void DrawDocument(Picture& p, int left, int top) {
    p.Fill(left + 1, top, left + 8, top + 9, kWhite);
    p.Frame(left + 1, top, left + 8, top + 9, kGray);
    for (int line = 0; line < 3; ++line) p.Fill(left + 3, top + 3 + 2 * line, left + 6, top + 3 + 2 * line, kBlue);
}

void DrawMonitor(Picture& p, int left, int top) {
    p.Fill(left, top, left + 10, top + 7, kNavy);
    p.Fill(left + 1, top + 1, left + 9, top + 6, kCyan);
    p.Fill(left + 4, top + 8, left + 6, top + 8, kGray);
    p.Fill(left + 2, top + 9, left + 8, top + 9, kGray);
}

void DrawLabel(Picture& p, int centreX, int y, int halfWidth) {
    p.Fill(centreX - halfWidth, y, centreX + halfWidth, y + 1, kSilver);
}

void DrawPin(Picture& p, int centreX, int centreY) {
    p.Fill(centreX, centreY + 4, centreX, centreY + 10, kGray);  // needle
    p.Set(centreX, centreY + 11, kBlack);
    p.Disc(centreX, centreY, 5, kMaroon);
    p.Disc(centreX, centreY, 4, kRed);
    p.Fill(centreX - 2, centreY - 2, centreX - 1, centreY - 2, kWhite);  // highlight
    p.Set(centreX - 2, centreY - 1, kWhite);
}

Picture DrawLokari() {
    Picture p;
    DrawFolder(p, 1, 1);
    DrawLabel(p, 6, 12, 4);
    DrawDocument(p, 19, 1);
    DrawLabel(p, 24, 12, 4);
    DrawMonitor(p, 1, 16);
    DrawLabel(p, 6, 28, 4);
    DrawPin(p, 24, 19);
    return p;
}

void Put16(std::vector<std::uint8_t>& out, unsigned value) {
    out.push_back(value & 0xFF);
    out.push_back((value >> 8) & 0xFF);
}

void Put32(std::vector<std::uint8_t>& out, unsigned value) {
    Put16(out, value & 0xFFFF);
    Put16(out, value >> 16);
}

std::vector<std::uint8_t> EncodeIcon(const Picture& p) {
    constexpr unsigned kColourBytes = kSize * kSize / 2;     // 4 bits a pixel
    constexpr unsigned kMaskBytes = kSize * (kSize / 8);     // 1 bit a pixel, rows of 4 bytes
    constexpr unsigned kImageBytes = 40 + 16 * 4 + kColourBytes + kMaskBytes;
    std::vector<std::uint8_t> out;
    // Icon directory with one entry.
    Put16(out, 0); Put16(out, 1); Put16(out, 1);
    out.push_back(kSize); out.push_back(kSize); out.push_back(16); out.push_back(0);
    Put16(out, 1); Put16(out, 4); Put32(out, kImageBytes); Put32(out, 6 + 16);
    // Bitmap header: the height counts the colour and mask bitmaps together.
    Put32(out, 40); Put32(out, kSize); Put32(out, 2 * kSize); Put16(out, 1); Put16(out, 4);
    Put32(out, 0); Put32(out, kColourBytes + kMaskBytes); Put32(out, 0); Put32(out, 0); Put32(out, 0); Put32(out, 0);
    for (const auto& colour : kPalette) {
        out.push_back(colour[0]); out.push_back(colour[1]); out.push_back(colour[2]); out.push_back(0);
    }
    for (int y = kSize - 1; y >= 0; --y) {  // bottom row first
        for (int x = 0; x < kSize; x += 2) {
            const int left = p.pixel[y][x] == kTransparent ? 0 : p.pixel[y][x];
            const int right = p.pixel[y][x + 1] == kTransparent ? 0 : p.pixel[y][x + 1];
            out.push_back(static_cast<std::uint8_t>(left << 4 | right));
        }
    }
    for (int y = kSize - 1; y >= 0; --y) {
        for (int byte = 0; byte < kSize / 8; ++byte) {
            unsigned bits = 0;
            for (int bit = 0; bit < 8; ++bit) {
                if (p.pixel[y][byte * 8 + bit] == kTransparent) bits |= 0x80u >> bit;
            }
            out.push_back(static_cast<std::uint8_t>(bits));
        }
    }
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT.ico\n", argv[0]);
        return 2;
    }
    // Static: the picture is larger than a frame should be.
    static const auto picture = DrawLokari();
    const std::vector<std::uint8_t> icon = EncodeIcon(picture);
    std::FILE* file = std::fopen(argv[1], "wb");
    if (file == nullptr) {
        std::perror(argv[1]);
        return 1;
    }
    const bool written = std::fwrite(icon.data(), 1, icon.size(), file) == icon.size();
    return std::fclose(file) == 0 && written ? 0 : 1;
}
