// The common stage of tornelo's Wine tests: a stand-in desktop with a few
// icons and tornelo started in a temporary folder with a settings file.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "tornelo_under_test.h"

namespace tornelo_test {

class TorneloOnStandinTest : public ::testing::Test {
protected:
    // Without a settings line, tornelo starts without a settings file.
    void StartWith(const char* settingsLine, int icons, const std::string& standinOptions = "") {
        desktop_ = std::make_unique<StandinDesktop>("--icons " + std::to_string(icons) + " " + standinOptions);
        ASSERT_TRUE(desktop_->Ready());
        if (settingsLine) WriteSettingsFile(folder_, settingsLine);
        // A copy of an earlier test still on its way out would make this one quit at once.
        ASSERT_TRUE(WaitUntil([] { return FindWindowA("tornelo", nullptr) == nullptr; }, 5000))
            << "\"tornelo\" windows left: " << DescribeTorneloWindows();
        tornelo_ = std::make_unique<Tornelo>(folder_);
        ASSERT_TRUE(tornelo_->Ready()) << tornelo_->WhyNotReady();
    }
    // tornelo ends before its desktop.
    void TearDown() override {
        tornelo_.reset();
        desktop_.reset();
    }

    TempFolder folder_;
    std::unique_ptr<StandinDesktop> desktop_;
    std::unique_ptr<Tornelo> tornelo_;
};

}  // namespace tornelo_test
