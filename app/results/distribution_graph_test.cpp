#include "app/results/distribution_graph.h"

#include <QImage>
#include <QPainter>
#include <cmath>

#include "platform/widget_test_main.h"
#include "ui/graphics/mathtext/label_fonts.h"
#include "ui/graphics/mathtext/symbol_table.h"

namespace {

TEST(DistributionGraphPlacement, CriticalLabelStaysInsideTheArea) {
    const struct {
        float width, x, expected;
    } cases[] = {
        {40, 200, 0},     // room on both sides
        {40, 110, 10},    // near the left edge (area from 100)
        {40, 390, -10},   // near the right edge (area to 400)
        {400, 250, -50},  // wider than the area: the right edge wins
    };
    for (const auto& c : cases)
        EXPECT_FLOAT_EQ(CriticalLabelShift(c.width, c.x, 100, 300), c.expected) << c.x;
}

TEST(DistributionGraphPlacement, LowAnchorsGetALeaderToTheSide) {
    // Area from y 50 to 250: the lowest tenth starts at 230.
    AreaLabelPlacement high = PlaceAreaLabel({100, 200}, 250, 200, 10);
    EXPECT_FALSE(high.leader);
    EXPECT_EQ(high.labelPoint, QPointF(100, 200));
    AreaLabelPlacement low = PlaceAreaLabel({100, 240}, 250, 200, 10);
    EXPECT_TRUE(low.leader);
    EXPECT_EQ(low.labelPoint, QPointF(110, 225));  // 1.5 x the height above the axis
    AreaLabelPlacement onAxis = PlaceAreaLabel({100, 250}, 250, 200, -10);
    EXPECT_EQ(onAxis.labelPoint, QPointF(90, 240));  // at least 10 above
}

TEST(DistributionGraphPlacement, AnAreaLabelWithoutRoomGoesToTheLeadersOtherSide) {
    // Plot area from x 100 to 400; a label 20 wide at the end of a leader.
    const struct {
        const char* what;
        double anchorX;
        float step;
        bool towardsLeft;
        double labelX;  // where the leader ends
        bool reachesLeft;
    } cases[] = {
        {"room on the left", 200, -10, true, 190, true},
        {"anchor at the left end", 102, -10, true, 112, false},
        {"room on the right", 300, 10, false, 310, false},
        {"anchor at the right end", 395, 10, false, 385, true},
    };
    for (const auto& c : cases) {
        const QPointF anchor(c.anchorX, 245);
        AreaLabelPlacement place = PlaceAreaLabel(anchor, 250, 200, c.step);
        ASSERT_TRUE(place.leader);
        EXPECT_EQ(KeepAreaLabelInside(&place, anchor, 20, c.towardsLeft, 100, 300), c.reachesLeft)
            << c.what;
        EXPECT_DOUBLE_EQ(place.labelPoint.x(), c.labelX) << c.what;
    }
    // A label centred on its anchor (no leader) is left where it is.
    AreaLabelPlacement high = PlaceAreaLabel({101, 100}, 250, 200, -10);
    EXPECT_TRUE(KeepAreaLabelInside(&high, {101, 100}, 20, true, 100, 300));
    EXPECT_EQ(high.labelPoint, QPointF(101, 100));
}

class DistributionGraphTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        mathtext::InitSymbolFonts();
        mathtext::UpdateSymbolFontScales();
        fonts_ = new mathtext::LabelFontSets;
        fonts_->MatchLabelFonts();
    }
    static void TearDownTestSuite() {
        delete fonts_;
        mathtext::FreeSymbolFonts();
        mathtext::ClearSymbolMap();
    }

    // Two normal densities, H1 shifted by 2.5, with the critical values at
    // ±1.96 (or 1.645 one-tailed).
    static PlotData Normals(bool oneTailed) {
        PlotData d;
        auto pdf = [](double x) { return std::exp(-x * x / 2) / std::sqrt(2 * M_PI); };
        const double c = oneTailed ? 1.645 : 1.96;
        for (int i = 0; i <= kPlotIntervals; ++i) {
            const double x = -4 + 9.0 * i / kPlotIntervals;
            d.centralCurve.push_back({x, pdf(x)});
            d.noncentralCurve.push_back({x, pdf(x - 2.5)});
            if (x >= c) d.alphaArea.push_back({x, pdf(x)});
            if (!oneTailed && x <= -c) d.alphaArea2.push_back({x, pdf(x)});
            if (x <= c) d.betaArea.push_back({x, pdf(x - 2.5)});
        }
        d.markers = {{-4, 0}, {5, 0}};
        d.criticalValue = c;
        d.criticalValue2 = oneTailed ? c : -c;
        d.yLimit = 1;
        d.alphaLabel = {c + 0.3, 0.01};
        d.betaLabel = {c - 0.5, 0.1};
        d.statisticName = "z";
        return d;
    }

    // The columns where the critical lines are drawn: pure green pixels.
    static int GreenColumns(const QImage& image) {
        int columns = 0;
        for (int x = 0; x < image.width(); ++x) {
            int green = 0;
            for (int y = 0; y < image.height(); ++y) {
                const QColor c = image.pixelColor(x, y);
                if (c.green() > 200 && c.red() < 120 && c.blue() < 120) ++green;
            }
            if (green > image.height() / 2) ++columns;
        }
        return columns;
    }

    static mathtext::LabelFontSets* fonts_;
};
mathtext::LabelFontSets* DistributionGraphTest::fonts_ = nullptr;

TEST_F(DistributionGraphTest, TwoTailedShowsTwoCriticalLinesAndBothTails) {
    for (bool oneTailed : {false, true}) {
        QImage image(600, 300, QImage::Format_RGB32);
        image.fill(Qt::white);
        DistributionGraph graph(fonts_);
        {
            QPainter p(&image);
            graph.Draw(&p, QRectF(0, 0, 600, 300), Normals(oneTailed), oneTailed);
        }
        EXPECT_EQ(GreenColumns(image), oneTailed ? 1 : 2) << oneTailed;
        // Light red shading in the far left tail only when two-tailed.
        bool leftTail = false;
        for (int x = 0; x < 150; ++x)
            for (int y = 200; y < 300; ++y)
                if (image.pixelColor(x, y) == QColor(0xFF, 0xDC, 0xDC)) leftTail = true;
        EXPECT_EQ(leftTail, !oneTailed);
    }
}

TEST_F(DistributionGraphTest, WithoutACentralCurveOnlyTheBackground) {
    QImage image(200, 100, QImage::Format_RGB32);
    image.fill(Qt::white);
    DistributionGraph graph(fonts_);
    {
        QPainter p(&image);
        graph.Draw(&p, QRectF(0, 0, 200, 100), PlotData(), true);
    }
    QImage expected(200, 100, QImage::Format_RGB32);
    expected.fill(QColor(0xFB, 0xFB, 0xFB));
    EXPECT_EQ(image, expected);
}

}  // namespace
