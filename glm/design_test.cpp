#include "glm/design.h"

#include <gtest/gtest.h>

TEST(DesignGrid, DefaultCountsAndMatrices) {
    DesignGrid d;
    d.Init(5, 3);
    ASSERT_EQ(d.Rows(), 6);
    ASSERT_EQ(d.Cols(), 5);
    EXPECT_EQ(d.texts(0, 0), L"cell\\pred");
    EXPECT_EQ(d.texts(5, 0), L"cell 5");
    EXPECT_EQ(d.texts(0, 3), L"pred 3");
    EXPECT_EQ(d.texts(0, 4), L"ssize weight");
    LabeledMatrix x, w;
    d.GetDesignMatrix(x);
    d.GetCellWeights(w);
    ASSERT_EQ(x.values.rows(), 5);
    ASSERT_EQ(x.values.cols(), 3);
    EXPECT_EQ(blitz::sum(blitz::abs(x.values)), 0.0);
    ASSERT_EQ(w.values.rows(), 5);
    ASSERT_EQ(w.values.cols(), 1);
    EXPECT_EQ(blitz::sum(w.values), 5.0);
    EXPECT_EQ(x.colLabels(0, 1), L"pred 2");
    EXPECT_EQ(w.rowLabels(4, 0), L"cell 5");

    // Texts evaluate as the cells of every matrix do.
    d.texts(1, 1) = L"=1/4";
    d.texts(2, 4) = L"abc";
    d.texts(3, 4) = L"";
    d.GetDesignMatrix(x);
    d.GetCellWeights(w);
    EXPECT_EQ(x.values(0, 0), 0.25);
    EXPECT_EQ(w.values(1, 0), 0.0);
    EXPECT_EQ(w.values(2, 0), 0.0);
}

TEST(DesignGrid, CountsGrowShrinkAndRestore) {
    DesignGrid d;
    d.Init(3, 3);
    d.texts(1, 3) = L"7";
    d.texts(2, 4) = L"2";
    d.SetDimensions(4, 5);  // predictors 3 -> 4
    ASSERT_EQ(d.Cols(), 6);
    EXPECT_EQ(d.texts(0, 4), L"pred 4");
    EXPECT_EQ(d.texts(3, 4), L"0");
    EXPECT_EQ(d.texts(2, 5), L"2");  // weights kept, still last
    d.SetDimensions(6, 5);           // cells 3 -> 5
    EXPECT_EQ(d.texts(5, 0), L"cell 5");
    EXPECT_EQ(d.texts(4, 2), L"0");
    EXPECT_EQ(d.texts(4, 5), L"1");

    // Shrinking and growing again brings back what was typed.
    d.texts(5, 0) = L"old age";
    d.texts(5, 5) = L"3";
    d.texts(1, 4) = L"0.5";
    d.texts(0, 4) = L"dose";
    d.SetDimensions(3, 3);
    EXPECT_EQ(d.Rows(), 3);
    EXPECT_EQ(d.Cols(), 4);
    EXPECT_EQ(d.texts(0, 3), L"ssize weight");
    d.SetDimensions(6, 5);
    EXPECT_EQ(d.texts(5, 0), L"old age");
    EXPECT_EQ(d.texts(5, 5), L"3");
    EXPECT_EQ(d.texts(1, 4), L"0.5");
    EXPECT_EQ(d.texts(0, 4), L"dose");
    EXPECT_EQ(d.texts(1, 3), L"7");
}

TEST(MeansGrid, ResponsesAndRowsFollowTheDesign) {
    MeansGrid m;
    m.Init(3, 4);
    ASSERT_EQ(m.Rows(), 4);
    ASSERT_EQ(m.Cols(), 5);
    EXPECT_EQ(m.texts(0, 0), L"pred\\var");
    EXPECT_EQ(m.texts(0, 4), L"Y 4");
    EXPECT_EQ(m.texts(3, 0), L"pred 3");
    EXPECT_EQ(m.texts(2, 2), L"0");

    m.texts(1, 4) = L"2.5";
    m.SetResponses(6);
    EXPECT_EQ(m.texts(0, 6), L"Y 6");
    EXPECT_EQ(m.texts(3, 5), L"0");
    m.SetResponses(2);
    EXPECT_EQ(m.Cols(), 3);
    m.SetResponses(4);
    EXPECT_EQ(m.texts(1, 4), L"2.5");

    DesignGrid d;
    d.Init(5, 3);
    d.SetDimensions(6, 5);
    d.texts(0, 1) = L"intercept";
    m.SyncWithDesign(d.PredictorLabels());
    EXPECT_EQ(m.Rows(), 5);
    EXPECT_EQ(m.texts(4, 0), L"pred 4");
    EXPECT_EQ(m.texts(1, 0), L"intercept");
    EXPECT_EQ(m.texts(4, 3), L"0");

    m.texts(4, 1) = L"=3";
    m.SyncWithDesign({L"a", L"b"});
    EXPECT_EQ(m.Rows(), 3);
    m.SyncWithDesign({L"a", L"b", L"c", L"d"});
    EXPECT_EQ(m.texts(4, 1), L"=3");

    LabeledMatrix b;
    m.GetMeans(b);
    ASSERT_EQ(b.values.rows(), 4);
    ASSERT_EQ(b.values.cols(), 4);
    EXPECT_EQ(b.values(3, 0), 3.0);
    EXPECT_EQ(b.values(0, 3), 2.5);
}
