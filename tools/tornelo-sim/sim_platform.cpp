#include "sim_platform.h"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

constexpr int kGridCellWidth = 75;
constexpr int kGridCellHeight = 80;
constexpr const char* kAlias = "mayimmayim";

int SignExtend16(uint32_t value) {
    const int low = static_cast<int>(value & 0xFFFFu);
    return low >= 0x8000 ? low - 0x10000 : low;
}

bool StartsWith(const char* text, const char* prefix) {
    return std::strncmp(text, prefix, std::strlen(prefix)) == 0;
}

// "verb mayimmayim ..." addresses our device.
bool Addresses(const char* command, const char* verb) {
    char expected[64];
    std::snprintf(expected, sizeof expected, "%s %s", verb, kAlias);
    if (!StartsWith(command, expected)) return false;
    const char next = command[std::strlen(expected)];
    return next == '\0' || next == ' ';
}

void ClearReply(char* reply, size_t replySize) {
    if (reply && replySize > 0) reply[0] = '\0';
}

}  // namespace

IconPosition UnpackPosition(uint32_t packedXY) {
    return {SignExtend16(packedXY), SignExtend16(packedXY >> 16)};
}

IconPosition DesktopGridPosition(int item, int screenHeight) {
    const int rows = screenHeight / kGridCellHeight > 0 ? screenHeight / kGridCellHeight : 1;
    return {(item / rows) * kGridCellWidth, (item % rows) * kGridCellHeight};
}

VirtualDesktop::VirtualDesktop(int itemCount, int screenHeight) {
    for (int item = 0; item < itemCount; ++item) positions_.push_back(DesktopGridPosition(item, screenHeight));
}

bool VirtualDesktop::SetItemPosition(int item, uint32_t packedXY) {
    const IconPosition at = UnpackPosition(packedXY);
    ++movesSent_;
    if (listener_) listener_->OnMove(item, at.x, at.y);
    // Like the list-view, refuse an item it does not have.
    if (item >= 0 && item < ItemCount()) positions_[static_cast<size_t>(item)] = at;
    return true;
}

void SongClockDevice::Send(const char* command, char* reply, size_t replySize, bool notifyMainWindow) {
    ClearReply(reply, replySize);
    if (StartsWith(command, "open ")) {
        const char* alias = std::strstr(command, " alias ");
        if (alias && std::strcmp(alias + 7, kAlias) == 0) open_ = true;
    } else if (Addresses(command, "play")) {
        if (!open_) return;
        if (playing_) EndPlay();  // a new play supersedes the running one
        playing_ = true;
        notifyArmed_ = notifyMainWindow;
        playStartMs_ = nowMs_;
        queriesThisPlay_ = 0;
        ++plays_;
    } else if (Addresses(command, "status") && std::strstr(command, " position")) {
        if (open_) ReplyPosition(reply, replySize);
    } else if (Addresses(command, "stop")) {
        if (playing_) EndPlay();
    } else if (Addresses(command, "close")) {
        if (playing_) EndPlay();
        open_ = false;
    }
    // "set ... time format song pointer" needs no answer: positions are
    // always in sixteenth notes here.
}

void SongClockDevice::AdvanceClock(unsigned milliseconds) {
    nowMs_ += milliseconds;
    if (playing_ && ReachedEnd()) EndPlay();
}

bool SongClockDevice::TakeNotice() {
    const bool posted = noticePosted_;
    noticePosted_ = false;
    return posted;
}

double SongClockDevice::PositionNow() const {
    if (script_.followsTempo) {
        const double minutes = static_cast<double>(nowMs_ - playStartMs_) / 60000.0;
        const double position = std::floor(minutes * script_.beatsPerMinute * 4.0);
        return position < script_.songEnd ? position : script_.songEnd;
    }
    if (script_.positions.empty()) return 0.0;
    const size_t last = script_.positions.size() - 1;
    return script_.positions[queriesThisPlay_ < last ? queriesThisPlay_ : last];
}

bool SongClockDevice::ReachedEnd() const {
    if (script_.followsTempo) return PositionNow() >= script_.songEnd;
    return queriesThisPlay_ >= script_.positions.size() || PositionNow() >= script_.songEnd;
}

void SongClockDevice::EndPlay() {
    playing_ = false;
    if (notifyArmed_) noticePosted_ = true;
    notifyArmed_ = false;
}

void SongClockDevice::ReplyPosition(char* reply, size_t replySize) {
    lastPosition_ = PositionNow();
    if (playing_ && !script_.followsTempo) ++queriesThisPlay_;
    if (reply && replySize > 0) std::snprintf(reply, replySize, "%.6g", lastPosition_);
}
