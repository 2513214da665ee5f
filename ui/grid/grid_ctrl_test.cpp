#include "ui/grid/grid_ctrl.h"
#include "ui/grid/grid_test_support.h"

TEST(GridSmoke, Builds) {
    CGridCtrl grid(3, 3, 1, 1);
    EXPECT_EQ(grid.GetRowCount(), 3);
}
