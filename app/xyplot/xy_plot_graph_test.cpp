#include "app/xyplot/xy_plot_graph.h"

#include <QImage>
#include <QPainter>
#include <memory>

#include "app/xyplot/xy_plot_settings.h"
#include "platform/widget_test_main.h"
#include "power/t/power_t_means.h"
#include "ui/graphics/mathtext/label_fonts.h"
#include "ui/graphics/mathtext/symbol_table.h"
#include "ui/graphics/plot/xy_plot.h"

namespace {

class XYPlotGraphTest : public ::testing::Test {
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

    // Power against N for `curves` effect sizes from 0.2 in steps of 0.3.
    void Compute(PowerAnalysis* t, int curves, double xTo = 100) {
        settings.InitFromAnalysis(t, 1, 3, 2, 0);
        settings.curveCount = curves;
        settings.SetLayerRange(0.2, 0.3);
        settings.SetLayerValue(0.5);
        settings.SetXRange(10, xTo, 5);
        ASSERT_EQ(settings.Validate(), -1) << settings.message;
        ASSERT_TRUE(settings.BuildSeries());
    }

    QImage Draw(const XYPlotOptions& options) {
        QImage image(840, 500, QImage::Format_RGB32);
        image.fill(Qt::black);
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        graph.Draw(&p, QRectF(0, 0, 840, 500), &settings, options);
        return image;
    }

    static int CountColour(const QImage& image, QRgb colour) {
        int n = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (image.pixel(x, y) == colour) ++n;
        return n;
    }

    static mathtext::LabelFontSets* fonts_;
    PowerTMeans test;
    PlotSettings settings;
    XYPlotGraph graph{fonts_};
    XYPlotOptions shown{true, true, false, 3};
};
mathtext::LabelFontSets* XYPlotGraphTest::fonts_ = nullptr;

TEST_F(XYPlotGraphTest, BeforeAComputationTheViewIsPlainWhite) {
    Compute(&test, 2);
    QImage image = Draw(XYPlotOptions{});
    QImage white(image.size(), QImage::Format_RGB32);
    white.fill(Qt::white);
    EXPECT_EQ(image, white);
    EXPECT_EQ(graph.Plot(), nullptr);
}

TEST_F(XYPlotGraphTest, TwoCurvesGetALegendOneCurveNone) {
    const float u = 840.0f / 420;
    Compute(&test, 1);
    QImage one = Draw(shown);
    ASSERT_NE(graph.Plot(), nullptr);
    EXPECT_FLOAT_EQ(graph.Plot()->marginRight, 16 * u);
    EXPECT_TRUE(graph.LegendRect().isEmpty());
    EXPECT_EQ(CountColour(one, qRgb(0, 0, 255)), 0);  // the second colour is not used

    Compute(&test, 2);
    QImage two = Draw(shown);
    EXPECT_FLOAT_EQ(graph.Plot()->marginRight, 90 * u);
    const QRectF legend = graph.LegendRect();
    ASSERT_FALSE(legend.isEmpty());
    EXPECT_NEAR(legend.right(), 840 - 5 * u, 1e-3);
    EXPECT_NEAR(legend.height(), 3 * 16 * u, 1e-3);
    // The legend's grey boxes and the blue curve are drawn.
    EXPECT_GT(CountColour(two, qRgb(0xE6, 0xE6, 0xE6)), 100);
    EXPECT_GT(CountColour(two, qRgb(0, 0, 255)), 50);
}

TEST_F(XYPlotGraphTest, TheLegendListsTheCurvesAsTheyLieInThePlot) {
    // Power grows with the effect size: the second curve lies above the
    // first, so the legend starts with the last curve.
    Compute(&test, 3);
    Draw(shown);
    EXPECT_EQ(graph.LegendOrder(), (std::vector<int>{2, 1, 0}));

    // Sample size against power falls with the effect size.
    settings.InitFromAnalysis(&test, 3, 1, 2, 0);
    settings.curveCount = 2;
    settings.SetLayerRange(0.5, 0.3);
    ASSERT_TRUE(settings.BuildSeries());
    Draw(shown);
    EXPECT_EQ(graph.LegendOrder(), (std::vector<int>{0, 1}));
}

// The two-means test with a statistic that takes whole values only, or
// whose sample-size curves are drawn straight.
class StepTwoMeans : public PowerTMeans {
  public:
    bool continuous = true;
    bool straight = false;
    bool IsContinuous() override { return continuous; }
    bool SampleSizeCurveFlag() override { return straight; }
    PowerAnalysis* Clone() override {
        auto* copy = CloneAs<StepTwoMeans>();
        copy->continuous = continuous;
        copy->straight = straight;
        return copy;
    }
};

TEST_F(XYPlotGraphTest, CurvesOfADiscreteStatisticAreStraight) {
    StepTwoMeans step;
    const struct {
        bool continuous, straight;
        int x;
        float tension;
    } cases[] = {
        {true, false, 3, 0.3f},   // smooth
        {false, false, 3, 0.0f},  // a discrete statistic
        {true, true, 3, 0.0f},    // straight against N
        {true, true, 0, 0.3f},    // but smooth against alpha
    };
    for (const auto& c : cases) {
        step.continuous = c.continuous;
        step.straight = c.straight;
        settings.InitFromAnalysis(&step, 1, c.x, 2, c.x == 3 ? 0 : 3);
        ASSERT_TRUE(settings.BuildSeries());
        Draw(shown);
        EXPECT_EQ(graph.Tension(), c.tension) << c.continuous << c.straight << c.x;
    }
}

TEST_F(XYPlotGraphTest, DataTouchingTheRangeEndWidenTheAxis) {
    Compute(&test, 1, 100);
    Draw(shown);
    bool right = false;
    for (const PlotPoint& p : graph.RangeMarginPoints()) right = right || p.x > 100;
    EXPECT_TRUE(right);
    EXPECT_GT(graph.Plot()->xMax, 100);

    // The table stops at 95, the line goes on to 98: the data end 3 short
    // of the range, farther than the 3 % margin.
    Compute(&test, 1, 98);
    Draw(shown);
    for (const PlotPoint& p : graph.RangeMarginPoints()) EXPECT_LE(p.x, 98);
}

TEST_F(XYPlotGraphTest, MarkersAndValueLabelsFollowTheOptions) {
    Compute(&test, 1);
    const QRgb red = qRgb(255, 0, 0);
    const int line = CountColour(Draw({true, false, true, 3}), red);
    const int markers = CountColour(Draw({true, true, false, 3}), red);
    const QImage labelled = Draw({true, true, true, 3});
    EXPECT_GT(markers, line);  // the circles' outlines
    // The labels are text beside the markers: only they differ.
    const QImage plain = Draw({true, true, false, 3});
    int changed = 0;
    for (int y = 0; y < plain.height(); ++y)
        for (int x = 0; x < plain.width(); ++x)
            if (labelled.pixel(x, y) != plain.pixel(x, y)) ++changed;
    EXPECT_GT(changed, 19 * 20);  // 19 labels of a few digits each
}

}  // namespace
