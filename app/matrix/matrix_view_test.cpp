#include "app/matrix/matrix_view.h"

#include <gtest/gtest.h>

#include "platform/widget_test_main.h"

namespace {

// A base matrix view in a parent of 400 x 300 pixels.
class MatrixViewTest : public ::testing::Test {
  protected:
    void SetUp() override {
        parent.resize(400, 300);
        view = new CMatrixView;
        view->Create(&parent, QPoint(0, 0), kFormVisible);
    }

    QString Text(int r, int c) const { return view->Grid()->GetItemText(r, c); }

    QWidget parent;
    CMatrixView* view = nullptr;
};

}  // namespace

TEST_F(MatrixViewTest, DefaultGridFillsItsParent) {
    CGridCtrl* grid = view->Grid();
    EXPECT_EQ(grid->GetRowCount(), 3);
    EXPECT_EQ(grid->GetColumnCount(), 5);
    EXPECT_EQ(Text(0, 0), "Var");
    EXPECT_EQ(Text(2, 0), "2");
    EXPECT_EQ(Text(0, 1), "Meandiff");
    EXPECT_EQ(Text(0, 4), "Cov 2");
    parent.resize(500, 350);
    view->FitToParent();
    EXPECT_EQ(grid->size(), QSize(500, 350));
}

TEST_F(MatrixViewTest, WholeGridRoundTripsThroughTheRecord) {
    LabeledMatrix m;
    m.cells.Resize(3, 2);
    const wchar_t* texts[] = {L"corner", L" head ", L"row 1", L"=1+1", L"row 2", L"\t7 "};
    for (int i = 0; i < 6; ++i) m.cells(i / 2, i % 2) = texts[i];
    view->MatrixToGrid(m);
    EXPECT_EQ(view->Grid()->GetRowCount(), 3);
    EXPECT_EQ(view->Grid()->GetColumnCount(), 2);
    LabeledMatrix back;
    view->GridToMatrix(back);
    ASSERT_EQ(back.cells.rows(), 3);
    EXPECT_EQ(back.cells(0, 0), L"corner");
    EXPECT_EQ(back.cells(0, 1), L"head");
    EXPECT_EQ(back.cells(2, 1), L"7");

    TextArray none(4, 4);
    view->GetCellTexts(none, 1, 0, 1, 2);
    EXPECT_EQ(none.rows(), 0);
}

TEST_F(MatrixViewTest, BodyReadsAsNumbers) {
    const char* texts[] = {"", " =2", "1e3", "2abc", "=2*3", "="};
    const double expected[] = {0.0, 0.0, 1000.0, 2.0, 6.0, 0.0};
    Matrix zeros(2, 3);
    zeros = 0.0;
    view->ShowMatrix(zeros, L"%lg", L"c", L"r%d", L"k%d");
    for (int i = 0; i < 6; ++i) view->Grid()->SetItemText(1 + i / 3, 1 + i % 3, texts[i]);
    Matrix values;
    view->GetValues(values);
    ASSERT_EQ(values.rows(), 2);
    ASSERT_EQ(values.cols(), 3);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(values(i / 3, i % 3), expected[i]) << texts[i];
}

TEST_F(MatrixViewTest, ShowAndSetValues) {
    Matrix values(2, 3);
    values = 1, 2, 3, 4, 5, 0.25;
    view->ShowMatrix(values, L"%lg", L"Corr", L"Y %d", L"P %d");
    EXPECT_EQ(view->Grid()->GetRowCount(), 3);
    EXPECT_EQ(view->Grid()->GetColumnCount(), 4);
    EXPECT_EQ(Text(0, 0), "Corr");
    EXPECT_EQ(Text(2, 0), "Y 2");
    EXPECT_EQ(Text(0, 3), "P 3");
    EXPECT_EQ(Text(2, 3), "0.25");

    view->SetupGrid(4, 3, L"x", L"%d", L"%d");
    Matrix fits(3, 2), misfits(4, 3);
    fits = 9.5;
    misfits = 1.0;
    EXPECT_FALSE(view->SetValues(misfits, L"%lg"));
    EXPECT_EQ(Text(1, 1), "1");  // left from the shown matrix
    EXPECT_TRUE(view->SetValues(fits, L"%lg"));
    EXPECT_EQ(Text(3, 2), "9.5");
    EXPECT_EQ(Text(0, 2), "2");  // headers untouched
}
