#pragma once

// Included by the widget tests of the grid: gives them a QApplication on the
// offscreen platform, created when the tests run (not when they are listed).

#include <QApplication>
#include <QtGlobal>

#include <gtest/gtest.h>

#include <memory>

class GridQtEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        if (!QApplication::instance()) app_ = std::make_unique<QApplication>(argc_, argv_);
    }
    void TearDown() override { app_.reset(); }

private:
    int argc_ = 1;
    char name_[8] = "test";
    char* argv_[2] = {name_, nullptr};
    std::unique_ptr<QApplication> app_;
};

inline ::testing::Environment* const kGridQtEnvironment =
    ::testing::AddGlobalTestEnvironment(new GridQtEnvironment);
