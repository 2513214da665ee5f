#include "ui/graphics/plot/tick_axis.h"

#include <QImage>
#include <QPainter>
#include <algorithm>

#include "platform/painting.h"
#include "platform/widget_test_main.h"
#include "ui/graphics/mathtext/math_label.h"
#include "ui/graphics/plot/plot_geometry.h"
#include "ui/graphics/plot/plot_test_support.h"

namespace plot {
namespace {

class TickAxisTest : public PlotFontsTest {
  protected:
    void SetUp() override {
        label_ = std::make_unique<mathtext::MathLabel>(
            QStringLiteral("ticks"), 10.0f, true, &fonts_->labelFonts, &fonts_->romanItalicFonts,
            mathtext::SymbolMapPointer());
        label_->SetMargin(2);
        image_.fill(Qt::white);
    }
    // An axis as the plot makes it: x (labels and ticks below) or y (labels
    // and ticks on the negative side, labels turned upright).
    std::unique_ptr<TickAxis> Axis(bool y, double lo, double hi) {
        const QPen pen = platform::MakePen(Qt::black, 1);
        auto axis = y ? std::make_unique<TickAxis>(pen, pen, pen, pen, pen, 90.0f, true, 0.03f,
                                                   0.02f, false, true)
                      : std::make_unique<TickAxis>(pen, pen, pen, pen, pen, 0.0f, false, 0.03f,
                                                   0.02f, true, false);
        LinearAxis range(lo, hi);
        EXPECT_TRUE(range.BuildTicks(*axis, label_.get(), 10, 1, false));
        return axis;
    }

    std::unique_ptr<mathtext::MathLabel> label_;
    QImage image_{400, 400, QImage::Format_RGB32};
};

TEST_F(TickAxisTest, BuildsOneMarkupLabelPerMajorTick) {
    auto axis = Axis(false, 0, 4e6);
    ASSERT_EQ(axis->labels.size(), 9u);
    EXPECT_EQ(axis->majorTicks, axis->majorGrid);
    EXPECT_EQ(axis->minorTicks, axis->minorGrid);
    EXPECT_EQ(axis->minorTicks.size(), 8u);
    EXPECT_EQ(axis->labels[0]->text, QStringLiteral("\\mbox{0}"));
    EXPECT_EQ(axis->labels[1]->text, QStringLiteral("\\mbox{500000}"));
    EXPECT_EQ(axis->labels[2]->text, QStringLiteral("\\mbox{1\u00B710}^{\\,\\mbox{6}}"));
    EXPECT_EQ(axis->labels[2]->label, label_.get());

    // An equal range that was not widened gives nothing.
    TickAxis empty(QPen(), QPen(), QPen(), QPen(), QPen(), 0, false, 0.03f, 0.02f, true, false);
    LinearAxis flat(0, 1);
    flat.min = flat.max = 3;
    EXPECT_FALSE(flat.BuildTicks(empty, label_.get(), 10, 1, false));
    EXPECT_TRUE(empty.labels.empty() && empty.majorTicks.empty() && empty.minorTicks.empty());
}

TEST_F(TickAxisTest, HorizontalLabelsShareOneBaselineBelowTheGap) {
    auto axis = Axis(false, 0, 4e6);
    // A tall label among short ones.
    axis->labels[3]->text = QStringLiteral("\\frac{\\mbox{3}}{\\mbox{2}}");
    QPainter p(&image_);
    const float unit = 200, x = 20, y = 100;
    axis->DrawLabels(&p, x, y, 360, unit, 0, false);
    const float gap = 1.2f * 0.03f * unit;
    EXPECT_FLOAT_EQ(axis->labelDistance, gap);
    float top = 1e9f;
    for (const auto& t : axis->labels) {
        EXPECT_NEAR(t->box[4].y(), axis->labels[0]->box[4].y(), 1e-4) << t->text.toStdString();
        top = std::min(top, static_cast<float>(t->box[0].y()));
        // Centred under its tick.
        EXPECT_NEAR((t->box[4].x() + t->box[5].x()) / 2, x + t->position * 360, 1e-3);
    }
    EXPECT_NEAR(top, y + gap, 1e-3);
    // The fraction reaches higher than the digits, so a label set on its own
    // would sit lower.
    const auto ascent = [](const TickLabel& t) { return t.box[4].y() - t.box[0].y(); };
    EXPECT_GT(ascent(*axis->labels[3]), ascent(*axis->labels[1]) + 2);
    const auto height = [](const TickLabel& t) { return t.box[1].y() - t.box[0].y(); };

    // Their room: the tallest label plus the gap.
    double tallest = 0;
    for (const auto& t : axis->labels) tallest = std::max(tallest, height(*t));
    EXPECT_NEAR(axis->GetLabelDepth(&p, x, y, 360, unit, 0), tallest + gap, 1e-3);
}

TEST_F(TickAxisTest, VerticalAxisLabelsStandUprightRightAlignedLeftOfTheAxis) {
    auto axis = Axis(true, 0, 6e-5);
    QPainter p(&image_);
    const float unit = 200, x = 300, y = 380;
    axis->Draw(&p, x, y, 360, unit, -90, true);
    const float gap = 1.2f * 0.03f * unit;
    ASSERT_FALSE(axis->labels.empty());
    for (const auto& t : axis->labels) {
        // Upright: the top-left corner above the bottom-left one, the text
        // running to the right.
        EXPECT_NEAR(t->box[0].x(), t->box[1].x(), 1e-3);
        EXPECT_LT(t->box[0].y(), t->box[1].y());
        EXPECT_LT(t->box[0].x(), t->box[3].x());
        // Its right edge at the gap left of the axis, centred on its tick.
        EXPECT_NEAR(t->box[3].x(), x - gap, 1e-3);
        EXPECT_NEAR((t->box[0].y() + t->box[1].y()) / 2, y - t->position * 360, 1e-3);
    }
    // Ticks on the negative (left) side only; the axis runs upwards.
    const int tickRow = static_cast<int>(y - axis->majorTicks[2] * 360);
    EXPECT_LT(qGray(image_.pixel(x - 3, tickRow)), 128);
    EXPECT_EQ(image_.pixel(x + 3, tickRow), qRgb(255, 255, 255));
    EXPECT_LT(qGray(image_.pixel(x, y - 200)), 200);
}

TEST_F(TickAxisTest, GridCrossesThePlotAreaAndLabelRoomNeedsLabels) {
    auto axis = Axis(false, 0, 10);
    QPainter p(&image_);
    axis->majorGridPen = platform::MakePen(Qt::black, 1);
    axis->DrawGrid(&p, 20, 300, 360, 200, 0, true);
    const int column = static_cast<int>(20 + axis->majorGrid[3] * 360);
    EXPECT_LT(qGray(image_.pixel(column, 200)), 128);           // above the axis
    EXPECT_EQ(image_.pixel(column, 320), qRgb(255, 255, 255));  // not below it
    EXPECT_EQ(image_.pixel(column, 80), qRgb(255, 255, 255));   // nor past the extent

    TickAxis bare(QPen(), QPen(), QPen(), QPen(), QPen(), 0, false, 0.03f, 0.02f, true, false);
    EXPECT_EQ(bare.GetLabelDepth(&p, 0, 0, 100, 10, 0), 0.0);
    axis->Clear();
    EXPECT_TRUE(axis->labels.empty() && axis->majorTicks.empty() && axis->minorGrid.empty());
}

}  // namespace
}  // namespace plot
