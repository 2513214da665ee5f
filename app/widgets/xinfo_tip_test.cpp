#include "app/widgets/xinfo_tip.h"

#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QLineEdit>
#include <QMouseEvent>
#include <QWidget>

#include "platform/fonts.h"
#include "platform/widget_test_main.h"

namespace {

class BalloonTipTest : public ::testing::Test {
  protected:
    void SetUp() override {
        window.setGeometry(100, 100, 300, 200);
        registered->setGeometry(10, 10, 120, 24);
        other->setGeometry(10, 60, 120, 24);
        window.show();
        widget_test::RunEventsUntil([&] { return window.isVisible(); }, 2000);
        tip.Create(&window);
        tip.SetTipFont(font);
        tip.SetCursorSource([this] { return cursor; });
        tip.AddTool(registered, "Probability of a type I error");
    }

    // A mouse move over `widget`'s centre, as the owner relays it.
    void MoveOver(QWidget* widget, QPoint offset = QPoint()) {
        cursor = widget->mapToGlobal(widget->rect().center() + offset);
        QMouseEvent move(QEvent::MouseMove, widget->rect().center() + offset, cursor, Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        tip.RelayEvent(widget, &move);
    }

    QWidget window;
    QLineEdit* registered = new QLineEdit(&window);
    QLineEdit* other = new QLineEdit(&window);
    QFont font = platform::MakeFont("Courier New", 9);
    CXInfoTip tip;
    QPoint cursor;
};

TEST_F(BalloonTipTest, AppearsAfterTheDelaySizedFromItsText) {
    MoveOver(registered);
    widget_test::RunEventsFor(CXInfoTip::kShowDelayMs - 200);
    EXPECT_FALSE(tip.isVisible());
    // Another move within the control starts the delay again.
    MoveOver(registered, QPoint(3, 0));
    widget_test::RunEventsFor(CXInfoTip::kShowDelayMs - 200);
    EXPECT_FALSE(tip.isVisible());
    ASSERT_TRUE(widget_test::RunEventsUntil([&] { return tip.isVisible(); }, 1000));

    const QRect text = QFontMetrics(font).boundingRect(QRect(), Qt::AlignLeft, tip.CurrentText());
    EXPECT_EQ(tip.CurrentText(), "Probability of a type I error");
    EXPECT_EQ(tip.size(), QSize(text.width() + 24, text.height() + 20 + 25));
    // The tail's tip is on the cursor.
    const QPoint tail = tip.geometry().topLeft() + QPoint(tip.width() - 12, tip.height() - 10);
    EXPECT_EQ(tail, cursor);

    // The cursor rests: the watch keeps the tip; it moves away: the tip goes.
    widget_test::RunEventsFor(CXInfoTip::kWatchIntervalMs + 100);
    EXPECT_TRUE(tip.isVisible());
    cursor += QPoint(40, 0);
    ASSERT_TRUE(widget_test::RunEventsUntil([&] { return !tip.isVisible(); }, 1500));
}

TEST_F(BalloonTipTest, ButtonPressOrLeavingHidesIt) {
    MoveOver(registered);
    ASSERT_TRUE(widget_test::RunEventsUntil([&] { return tip.isVisible(); }, 1500));
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(5, 5), QPointF(cursor), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    tip.RelayEvent(registered, &press);
    EXPECT_FALSE(tip.isVisible());

    MoveOver(registered, QPoint(1, 1));
    ASSERT_TRUE(widget_test::RunEventsUntil([&] { return tip.isVisible(); }, 1500));
    MoveOver(other);  // unregistered
    EXPECT_FALSE(tip.isVisible());
    widget_test::RunEventsFor(CXInfoTip::kShowDelayMs + 100);
    EXPECT_FALSE(tip.isVisible());
}

TEST_F(BalloonTipTest, RemovedControlsShowNothing) {
    tip.RemoveTool(registered);
    MoveOver(registered);
    widget_test::RunEventsFor(CXInfoTip::kShowDelayMs + 100);
    EXPECT_FALSE(tip.isVisible());
}

}  // namespace
