#include "platform/commands.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QObject>
#include <memory>

#include "platform/widget_test_main.h"

namespace platform {
namespace {

// Handles the ids in `handled`; records what reached it.
class Target : public CommandTarget {
  public:
    explicit Target(std::vector<int> ids, bool checked = false)
        : handled(std::move(ids)), checked_(checked) {}
    bool HandleCommand(int id) override {
        received.push_back(id);
        return Handles(id);
    }
    bool QueryCommand(int id, CommandState* state) override {
        if (!Handles(id)) return false;
        state->checked = checked_;
        return true;
    }
    bool Handles(int id) const {
        return std::find(handled.begin(), handled.end(), id) != handled.end();
    }

    std::vector<int> handled;
    std::vector<int> received;

  private:
    bool checked_;
};

TEST(CommandRouter, ShownPanesComeBeforeTheFrame) {
    Target pane({1, 2}, true);
    Target hiddenPane({1, 3});
    Target frame({1, 3, 4});
    bool paneShown = true;
    CommandRouter router;
    router.SetFrame(&frame);
    router.SetPanes([&] {
        std::vector<CommandTarget*> panes;
        if (paneShown) panes.push_back(&pane);
        return panes;
    });

    EXPECT_TRUE(router.Dispatch(1));
    EXPECT_EQ(pane.received, std::vector<int>{1});
    EXPECT_TRUE(frame.received.empty());

    EXPECT_TRUE(router.Dispatch(4));  // the pane passes it on
    EXPECT_EQ(frame.received, std::vector<int>{4});

    paneShown = false;
    EXPECT_FALSE(router.Dispatch(2));  // only the hidden pane knew it
    EXPECT_TRUE(router.Dispatch(1));
    EXPECT_EQ(frame.received, (std::vector<int>{4, 2, 1}));
    EXPECT_TRUE(hiddenPane.received.empty());

    EXPECT_FALSE(router.Query(2).enabled);  // nobody claims it now
    EXPECT_TRUE(router.Query(3).enabled);
}

TEST(CommandRouter, ActionsCarryTheirIdsAndFollowTheState) {
    Target frame({5}, true);
    CommandRouter router;
    router.SetFrame(&frame);
    auto owner = std::make_unique<QObject>();
    QAction* handled = router.MakeAction(owner.get(), 5, "Handled");
    QAction* unhandled = router.MakeAction(owner.get(), 6, "Nobody's");
    EXPECT_EQ(CommandRouter::CommandId(handled), 5);
    router.RefreshActions();
    EXPECT_TRUE(handled->isEnabled());
    EXPECT_TRUE(handled->isChecked());
    EXPECT_FALSE(unhandled->isEnabled());

    handled->trigger();
    EXPECT_EQ(frame.received, std::vector<int>{5});

    owner.reset();  // actions die before the router: refreshing must not touch them
    router.RefreshActions();
}

}  // namespace
}  // namespace platform
