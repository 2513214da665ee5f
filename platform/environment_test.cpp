#include "platform/environment.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QIcon>
#include <QImage>
#include <QObject>
#include <QProxyStyle>
#include <QStyleOption>
#include <cfenv>
#include <cmath>
#include <cstdio>
#include <thread>

#include "platform/widget_test_main.h"

namespace platform {
namespace {

TEST(ProgramFolder, IsTheExecutablesFolderOrTheOneAboveABuildFolder) {
    struct Case {
        const char* executable;
        const char* folder;
    } cases[] = {
        {"/opt/quorix/quorix", "/opt/quorix"},
        {"/home/u/quorix/Release/quorix", "/home/u/quorix"},
        {"/home/u/quorix/Debug/quorix", "/home/u/quorix"},
        {"/home/u/quorix/build/release/app/quorix", "/home/u/quorix/build/release/app"},
        {"/home/u/ReleaseNotes/quorix", "/home/u/ReleaseNotes"},
        {"/home/u/release/quorix", "/home/u/release"},
        {"/Release/quorix", "/"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ProgramFolderFor(c.executable), std::filesystem::path(c.folder)) << c.executable;
    }
    const std::filesystem::path self = ExecutablePath();
    EXPECT_TRUE(self.is_absolute());
    EXPECT_TRUE(std::filesystem::exists(self));
    EXPECT_EQ(self.filename(), "quorix_platform_environment_test");
}

TEST(Locale, NumbersUseThePoint) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", 0.25);
    EXPECT_STREQ(text, "0.25");
    EXPECT_EQ(std::strtod("0.25", nullptr), 0.25);
    EXPECT_EQ(QLocale().toString(0.25), "0.25");
}

TEST(FloatingPointScope, RestoresFlagsAndRounding) {
    std::feclearexcept(FE_ALL_EXCEPT);
    {
        FloatingPointScope scope;
        volatile double big = 1e308;
        volatile double overflow = big * 10.0;
        EXPECT_TRUE(std::isinf(overflow));
        EXPECT_TRUE(std::fetestexcept(FE_OVERFLOW));
        std::fesetround(FE_DOWNWARD);
        FloatingPointScope::ClearFlags();
        EXPECT_FALSE(std::fetestexcept(FE_OVERFLOW));
        EXPECT_EQ(std::fegetround(), FE_DOWNWARD);
        volatile double again = big * 10.0;
        (void)again;
    }
    EXPECT_EQ(std::fegetround(), FE_TONEAREST);
    EXPECT_FALSE(std::fetestexcept(FE_OVERFLOW));
}

TEST(ApplicationStyle, StockPicturesAreTheBaseStylesOwn) {
    auto* style = qobject_cast<QProxyStyle*>(QApplication::style());
    ASSERT_NE(style, nullptr);
    QStyleOption plain;
    QStyleOptionButton button;  // a derived option is answered at once
    struct Case {
        QStyle::StandardPixmap which;
        const QStyleOption* option;
    };
    const Case cases[] = {
        {QStyle::SP_ToolBarHorizontalExtensionButton, nullptr},
        {QStyle::SP_ToolBarVerticalExtensionButton, &plain},
        {QStyle::SP_DialogOkButton, nullptr},
        {QStyle::SP_MessageBoxWarning, &button},
    };
    for (const Case& c : cases) {
        const QIcon icon = style->standardIcon(c.which, c.option);
        const QIcon base = style->baseStyle()->standardIcon(c.which, c.option);
        ASSERT_FALSE(icon.isNull()) << c.which;
        EXPECT_EQ(icon.availableSizes(), base.availableSizes()) << c.which;
        for (int size : {16, 32}) {
            EXPECT_EQ(icon.actualSize(QSize(size, size)), base.actualSize(QSize(size, size)));
            EXPECT_EQ(icon.pixmap(size).toImage(), base.pixmap(size).toImage()) << c.which;
            EXPECT_EQ(icon.pixmap(size, QIcon::Disabled).toImage(),
                      base.pixmap(size, QIcon::Disabled).toImage())
                << c.which;
        }
    }
}

TEST(UiThread, WorkersPostTheirResultsToTheUiThread) {
    EXPECT_TRUE(OnUiThread());
    QObject context;
    bool ranOnUiThread = false;
    bool workerWasUiThread = true;
    std::thread worker([&] {
        workerWasUiThread = OnUiThread();
        PostToUiThread(&context, [&] { ranOnUiThread = OnUiThread(); });
    });
    worker.join();
    EXPECT_FALSE(workerWasUiThread);
    EXPECT_FALSE(ranOnUiThread);  // queued, not run on the worker
    ASSERT_TRUE(widget_test::RunEventsUntil([&] { return ranOnUiThread; }, 2000));
}

}  // namespace
}  // namespace platform
