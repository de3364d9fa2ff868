// A 5 x 7 pixel font for the labels in the simulator's pictures.
#pragma once

constexpr int kGlyphWidth = 5;
constexpr int kGlyphHeight = 7;
constexpr int kGlyphAdvance = kGlyphWidth + 1;

// Row bits of one character, bit 4 the leftmost column; letters are drawn
// lower case whatever their case, unknown characters as a hollow box.
const unsigned char* GlyphRows(char c);
