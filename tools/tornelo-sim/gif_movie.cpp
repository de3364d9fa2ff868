#include "gif_movie.h"

#include <gif_lib.h>

#include <algorithm>
#include <unistd.h>

namespace {

int PaletteSizeFor(size_t colors) {
    int size = 2;
    while (size < static_cast<int>(colors) && size < 256) size *= 2;
    return size;
}

struct ChangedRegion {
    int left, top, right, bottom;  // inclusive; right < left: nothing changed
};

ChangedRegion FindChanges(const Canvas& frame, const std::vector<uint8_t>& previous) {
    ChangedRegion region{frame.Width(), frame.Height(), -1, -1};
    for (int y = 0; y < frame.Height(); ++y) {
        const uint8_t* now = frame.Row(y);
        const uint8_t* before = previous.data() + static_cast<size_t>(y) * static_cast<size_t>(frame.Width());
        for (int x = 0; x < frame.Width(); ++x) {
            if (now[x] == before[x]) continue;
            region.left = std::min(region.left, x);
            region.right = std::max(region.right, x);
            region.top = std::min(region.top, y);
            region.bottom = std::max(region.bottom, y);
        }
    }
    return region;
}

}  // namespace

GifMovie::GifMovie(int fileDescriptor, int width, int height, const std::vector<PaletteColor>& palette) {
    int error = 0;
    gif_ = EGifOpenFileHandle(fileDescriptor, &error);
    if (!gif_) {
        close(fileDescriptor);
        return;
    }
    EGifSetGifVersion(gif_, true);
    const int size = PaletteSizeFor(palette.size());
    std::vector<GifColorType> colors(static_cast<size_t>(size), GifColorType{0, 0, 0});
    for (size_t i = 0; i < palette.size() && i < colors.size(); ++i) {
        colors[i] = {palette[i].red, palette[i].green, palette[i].blue};
    }
    ColorMapObject* map = GifMakeMapObject(size, colors.data());
    if (!map || EGifPutScreenDesc(gif_, width, height, 8, 0, map) != GIF_OK) failed_ = true;
    GifFreeMapObject(map);
    if (!failed_) WriteLoopExtension();
}

GifMovie::~GifMovie() { Close(); }

void GifMovie::WriteLoopExtension() {
    static const GifByteType kApplication[] = {'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0'};
    static const GifByteType kLoopForever[] = {1, 0, 0};
    if (EGifPutExtensionLeader(gif_, APPLICATION_EXT_FUNC_CODE) != GIF_OK ||
        EGifPutExtensionBlock(gif_, sizeof kApplication, kApplication) != GIF_OK ||
        EGifPutExtensionBlock(gif_, sizeof kLoopForever, kLoopForever) != GIF_OK ||
        EGifPutExtensionTrailer(gif_) != GIF_OK) {
        failed_ = true;
    }
}

void GifMovie::AddFrame(const Canvas& frame, int delayCentiseconds) {
    if (!Ok()) return;
    if (previous_.empty()) {
        WriteRegion(frame, 0, 0, frame.Width(), frame.Height(), delayCentiseconds);
    } else {
        const ChangedRegion changed = FindChanges(frame, previous_);
        if (changed.right < changed.left) {
            WriteRegion(frame, 0, 0, 1, 1, delayCentiseconds);  // a still frame still takes its time
        } else {
            WriteRegion(frame, changed.left, changed.top, changed.right - changed.left + 1,
                        changed.bottom - changed.top + 1, delayCentiseconds);
        }
    }
    previous_.assign(frame.Pixels(), frame.Pixels() + static_cast<size_t>(frame.Width()) * static_cast<size_t>(frame.Height()));
}

void GifMovie::WriteRegion(const Canvas& frame, int left, int top, int width, int height, int delayCentiseconds) {
    GraphicsControlBlock control{};
    control.DisposalMode = DISPOSE_DO_NOT;
    control.UserInputFlag = false;
    control.DelayTime = std::max(delayCentiseconds, 1);
    control.TransparentColor = NO_TRANSPARENT_COLOR;
    GifByteType extension[4];
    const size_t length = EGifGCBToExtension(&control, extension);
    if (EGifPutExtension(gif_, GRAPHICS_EXT_FUNC_CODE, static_cast<int>(length), extension) != GIF_OK ||
        EGifPutImageDesc(gif_, left, top, width, height, false, nullptr) != GIF_OK) {
        failed_ = true;
        return;
    }
    for (int y = top; y < top + height; ++y) {
        // giflib takes a non-const line but only reads it.
        GifPixelType* line = const_cast<GifPixelType*>(frame.Row(y) + left);
        if (EGifPutLine(gif_, line, width) != GIF_OK) {
            failed_ = true;
            return;
        }
    }
    ++frames_;
}

bool GifMovie::Close() {
    if (!gif_) return false;
    int error = 0;
    const bool closed = EGifCloseFile(gif_, &error) == GIF_OK;
    gif_ = nullptr;
    return closed && !failed_;
}
