#pragma once

// For the tests of the Options command in the running main window: the
// options dialogs answered by `Service` instead of a user, and the drawer's
// rebuild watched.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEvent>
#include <QPointer>
#include <functional>
#include <memory>

#include "app/drawer/drawer_wnd.h"
#include "app/frame/main_frame.h"
#include "app/frame/quorix_app.h"
#include "app/options/options_command.h"
#include "platform/scripted_dialogs.h"

namespace options_test {

template <class Service>
class MainWindowWithOptions : public ::testing::Test {
  protected:
    void SetUp() override {
        auto service = std::make_unique<Service>();
        options = service.get();
        previous = SetOptionsDialogService(std::move(service));
        ASSERT_TRUE(app.InitInstance());
        frame = app.MainFrame();
        frame->SetDrawerAnimation(false, false);
    }
    void TearDown() override { SetOptionsDialogService(std::move(previous)); }

    // Runs `command` with the drawer that `open` opened; true when the
    // drawer was closed and opened again.
    bool DrawerRebuiltBy(const std::function<void()>& open, const std::function<void()>& command) {
        open();
        QPointer<CDrawerWnd> before(frame->EffectSizeDrawer());
        EXPECT_FALSE(before.isNull());
        command();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(frame->EffectSizeDrawerOpen());
        const bool rebuilt = before.isNull();
        frame->CloseEffectSizeDrawer();
        return rebuilt;
    }

    platform::ScriptedDialogs dialogs;
    Service* options = nullptr;
    std::unique_ptr<OptionsDialogService> previous;
    CQuorixNTApp app;
    CMainFrame* frame = nullptr;
};

}  // namespace options_test
