#pragma once

// Report tests measure text with the toolkit's fonts, which need a QGuiApplication.
#include <QGuiApplication>

#include <gtest/gtest.h>

#include <memory>

namespace kodexa::testsupport {

class GuiEnvironment final : public ::testing::Environment {
public:
    void SetUp() override {
        if (QGuiApplication::instance())
            return;
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        application_ = std::make_unique<QGuiApplication>(argc_, argv_);
    }
    void TearDown() override { application_.reset(); }

private:
    int argc_ = 1;
    char name_[13] = "report_tests";
    char* argv_[2] = {name_, nullptr};
    std::unique_ptr<QGuiApplication> application_;
};

} // namespace kodexa::testsupport
