// Stand-ins for the platform that record what the engine does, and a fixture
// that starts every test from a zeroed engine.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <deque>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "motion/icon_ring.h"
#include "motion/platform_seam.h"
#include "settings/settings.h"
#include "shell/app_state.h"
#include "shell/mode_control.h"

struct Move {
    int item;
    int x;
    int y;
    bool operator==(const Move& o) const { return item == o.item && x == o.x && y == o.y; }
};

inline std::ostream& operator<<(std::ostream& os, const Move& m) {
    return os << "{item " << m.item << " at " << m.x << "," << m.y << "}";
}

class RecordingView final : public DesktopView {
public:
    int count = 0;
    int countQueries = 0;
    std::vector<Move> moves;  // every move sent, answered or not
    // A hung shell: the count query, or every move after the first
    // `movesAnswered`, goes unanswered.
    bool countAnswered = true;
    size_t movesAnswered = SIZE_MAX;
    bool newViewFound = false;  // the shell restarted: the next look finds a view
    bool moved = false;         // the view or the full-screen area changed silently
    bool arranges = false;      // auto-arrange is on
    DisplayMetrics display = {};
    int measures = 0;
    std::function<void()> duringMove;  // a message delivered while a move waits
    int ItemCount() override {
        ++countQueries;
        return countAnswered ? count : kNoAnswer;
    }
    bool SetItemPosition(int item, uint32_t packed) override {
        moves.push_back({item, static_cast<int16_t>(packed & 0xFFFF), static_cast<int16_t>(packed >> 16)});
        if (duringMove) duringMove();
        return moves.size() <= movesAnswered;
    }
    bool FindAgainIfGone() override { return std::exchange(newViewFound, false); }
    bool MeasureDisplay(DisplayMetrics& metrics) override {
        ++measures;
        metrics = display;
        return true;
    }
    bool MovedSinceMeasured() override { return std::exchange(moved, false); }
    bool ArrangesItself() override { return arranges; }
    std::vector<int> Items() const {
        std::vector<int> items;
        for (const Move& m : moves) items.push_back(m.item);
        return items;
    }
};

class RecordingTimer final : public AnimationTimer {
public:
    std::vector<unsigned> restarts;
    void Restart(unsigned periodMs) override { restarts.push_back(periodMs); }
};

class ScriptedMusic final : public MusicDevice {
public:
    std::vector<std::string> commands;  // "!" marks a command with the main window as callback
    std::deque<std::string> positions;  // replies to position queries; the last one repeats
    bool answerPositions = true;
    void Send(const char* command, char* reply, size_t replySize, bool notify) override {
        commands.push_back(std::string(command) + (notify ? "!" : ""));
        if (!reply || replySize == 0 || !answerPositions || positions.empty()) return;
        std::snprintf(reply, replySize, "%s", positions.front().c_str());
        if (positions.size() > 1) positions.pop_front();
    }
};

class ScriptedRandom final : public RandomSource {
public:
    std::deque<int> values;  // the last one repeats
    int draws = 0;
    int Next() override {
        ++draws;
        const int v = values.empty() ? 0 : values.front();
        if (values.size() > 1) values.pop_front();
        return v;
    }
};

class EngineTest : public ::testing::Test {
protected:
    RecordingView view;
    RecordingTimer timer;
    ScriptedMusic music;
    ScriptedRandom random;

    void SetUp() override {
        ResetEngine();
        platform = {&view, &timer, &music, &random};
        screenWidth = 1024;
        screenHeight = 740;
        runningSettings = DefaultSettings(screenHeight);
        userSettings = runningSettings;
    }
    // A fresh engine and empty records inside one test.
    void Restart() {
        view = RecordingView{};
        timer = RecordingTimer{};
        music = ScriptedMusic{};
        random = ScriptedRandom{};
        SetUp();
    }
    void TearDown() override {
        ResetPlatform();
        ResetEngine();
    }
};
