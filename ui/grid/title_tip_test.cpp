#include "ui/grid/title_tip.h"

#include <QMouseEvent>
#include <QTest>

#include "ui/grid/grid_ctrl.h"
#include "ui/grid/grid_test_support.h"

namespace {

// A grid of 3 x 4 cells of 50 x 20 in an active window; cell (1, 1) holds a
// text far wider than its column, cell (1, 2) one that fits.
class TitleTipTest : public ::testing::Test {
  protected:
    void SetUp() override {
        grid = new CGridCtrl(0, 0, 0, 0, &window);
        window.resize(300, 120);
        ShapeGrid(*grid, 3, 4, 0, 0, 50, 20, 250, 80);
        grid->SetOwner(&owner);
        grid->SetItemText(1, 1, "a text much wider than its cell");
        grid->SetItemText(1, 2, "ok");
        window.show();
        QApplication::setActiveWindow(&window);
        grid->setFocus();
        QCoreApplication::processEvents();
    }
    void TearDown() override { QCoreApplication::processEvents(); }

    QPoint CellCentre(int row, int col) const { return QPoint(col * 50 + 25, row * 20 + 10); }
    QPoint Global(QPoint client) const { return grid->viewport()->mapToGlobal(client); }
    CTitleTip* Tip() { return grid->GetTitleTip(); }

    // A mouse event as the tip receives it while it holds the mouse.
    void SendToTip(QEvent::Type type, QPoint client) {
        const QPointF global = Global(client);
        QMouseEvent event(type, Tip()->mapFromGlobal(global), global, Qt::LeftButton,
                          type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton,
                          Qt::NoModifier);
        QCoreApplication::sendEvent(Tip(), &event);
    }

    FakeGridOwner owner;
    QWidget window;
    CGridCtrl* grid = nullptr;
};

TEST_F(TitleTipTest, AClippedTextIsShownWholeOverItsCellAndAFittingOneIsNot) {
    grid->OnMouseMove(CellCentre(1, 2), Qt::NoButton);
    EXPECT_FALSE(Tip()->isVisible());

    grid->OnMouseMove(CellCentre(1, 1), Qt::NoButton);
    ASSERT_TRUE(Tip()->isVisible());
    EXPECT_EQ(Tip()->ShownText(), " a text much wider than its cell ");
    const QRect tip = Tip()->geometry();
    EXPECT_EQ(tip.topLeft(), Global(QPoint(50, 20)));
    EXPECT_EQ(tip.height(), 19);
    EXPECT_GT(tip.width(), 100);
    EXPECT_EQ(Tip()->HoverRect(), QRect(Global(QPoint(50, 20)), Global(QPoint(100, 40))));

    // Moving within the cell keeps it; leaving the cell hides it.
    SendToTip(QEvent::MouseMove, CellCentre(1, 1) + QPoint(20, 5));
    EXPECT_TRUE(Tip()->isVisible());
    SendToTip(QEvent::MouseMove, CellCentre(1, 2));
    EXPECT_FALSE(Tip()->isVisible());
}

TEST_F(TitleTipTest, ClicksFallThroughToTheCellUnderTheTip) {
    grid->OnMouseMove(CellCentre(1, 1), Qt::NoButton);
    ASSERT_TRUE(Tip()->isVisible());
    // The tip covers cell (1, 2); the click lands there.
    SendToTip(QEvent::MouseButtonPress, CellCentre(1, 2));
    EXPECT_FALSE(Tip()->isVisible());
    SendToTip(QEvent::MouseButtonRelease, CellCentre(1, 2));
    QCoreApplication::processEvents();
    EXPECT_EQ(grid->GetFocusCell(), CCellID(1, 2));
    EXPECT_EQ(owner.Count(kNotifyClick), 1);
    EXPECT_EQ(grid->GetMouseMode(), kMouseNothing);

    // A second press soon after arrives as a double click.
    grid->OnMouseMove(CellCentre(1, 1), Qt::NoButton);
    ASSERT_TRUE(Tip()->isVisible());
    SendToTip(QEvent::MouseButtonPress, CellCentre(1, 2));
    SendToTip(QEvent::MouseButtonRelease, CellCentre(1, 2));
    QCoreApplication::processEvents();
    EXPECT_EQ(owner.Count(kNotifyDblClick), 1);
}

TEST_F(TitleTipTest, KeysHideTheTipAndReachTheGrid) {
    grid->SetFocusCell(0, 0);
    grid->OnMouseMove(CellCentre(1, 1), Qt::NoButton);
    ASSERT_TRUE(Tip()->isVisible());
    QTest::keyClick(Tip(), Qt::Key_Down);
    EXPECT_FALSE(Tip()->isVisible());
    QCoreApplication::processEvents();
    EXPECT_EQ(grid->GetFocusCell(), CCellID(1, 0));

    // Typing into the grid itself hides it as well, and so does an edit.
    grid->OnMouseMove(CellCentre(1, 1), Qt::NoButton);
    ASSERT_TRUE(Tip()->isVisible());
    QTest::keyClick(grid, Qt::Key_Right);
    EXPECT_FALSE(Tip()->isVisible());
    EXPECT_EQ(grid->GetFocusCell(), CCellID(1, 1));
    grid->OnMouseMove(CellCentre(1, 1), Qt::NoButton);
    ASSERT_TRUE(Tip()->isVisible());
    grid->OnEditCell(1, 1, QPoint(-1, -1), kEditStartMouse);
    EXPECT_FALSE(Tip()->isVisible());
    grid->EndEditing();
}

TEST_F(TitleTipTest, NoTipWhileTitleTipsAreOffOrForAnEmptyRectangle) {
    grid->EnableTitleTips(false);
    grid->OnMouseMove(CellCentre(1, 1), Qt::NoButton);
    EXPECT_FALSE(Tip()->isVisible());
    Tip()->Show(QRect(10, 10, 0, 20), "some text that would not fit");
    EXPECT_FALSE(Tip()->isVisible());
}

}  // namespace
