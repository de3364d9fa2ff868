// Writes canvases as the frames of one looping animated GIF (giflib).
#pragma once

#include <vector>

#include "canvas.h"

struct GifFileType;

class GifMovie {
public:
    // Takes over `fileDescriptor` (giflib closes it).
    GifMovie(int fileDescriptor, int width, int height, const std::vector<PaletteColor>& palette);
    ~GifMovie();
    GifMovie(const GifMovie&) = delete;
    GifMovie& operator=(const GifMovie&) = delete;

    bool Ok() const { return gif_ != nullptr && !failed_; }
    // Only the part that differs from the previous frame is stored.
    void AddFrame(const Canvas& frame, int delayCentiseconds);
    // Finishes the file; false if anything could not be written.
    bool Close();
    int FramesWritten() const { return frames_; }

private:
    void WriteLoopExtension();
    void WriteRegion(const Canvas& frame, int left, int top, int width, int height, int delayCentiseconds);

    GifFileType* gif_ = nullptr;
    bool failed_ = false;
    int frames_ = 0;
    std::vector<uint8_t> previous_;
};
