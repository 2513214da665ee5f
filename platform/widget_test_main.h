#pragma once

// The main of a widget test program: runs headless on the offscreen platform,
// with the application object and the C locale the program itself uses.
// A test file that includes this header defines no main of its own.

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <cstdlib>
#include <functional>

#include "platform/environment.h"

namespace widget_test {

// Lets the event loop run for `ms` milliseconds (timers fire meanwhile).
inline void RunEventsFor(int ms) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        platform::SleepMilliseconds(1);
    }
}

// Runs the event loop until `done` holds or `ms` milliseconds have passed.
inline bool RunEventsUntil(const std::function<bool()>& done, int ms) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > ms) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        platform::SleepMilliseconds(1);
    }
    return true;
}

}  // namespace widget_test

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    auto app = platform::CreateApplication(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
