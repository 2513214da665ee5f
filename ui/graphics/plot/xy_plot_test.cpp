#include "ui/graphics/plot/xy_plot.h"

#include <QImage>
#include <QPainter>

#include "platform/painting.h"
#include "platform/widget_test_main.h"
#include "ui/graphics/plot/plot_test_support.h"

namespace plot {
namespace {

QString Upright(const std::string& text) {
    return QStringLiteral("\\mbox{") + QString::fromStdString(text) + QStringLiteral("}");
}

class XYPlotTest : public PlotFontsTest {
  protected:
    void SetUp() override {
        plot_ = std::make_unique<XYPlot>(QStringLiteral("test"), &fonts_->labelFonts,
                                         &fonts_->romanItalicFonts);
        image_.fill(Qt::white);
        painter_ = std::make_unique<QPainter>(&image_);
    }
    void TearDown() override { painter_.reset(); }

    std::unique_ptr<DataCurve> Curve(const std::vector<CurvePoint>* points) {
        return std::make_unique<DataCurve>(points, platform::MakePen(Qt::red, 1.2), 0.3f, false,
                                           nullptr);
    }
    PlotRect Area() {
        PlotRect area;
        plot_->DrawInRect(painter_.get(), rect_, unit_, 0, false, &area);
        return area;
    }

    std::unique_ptr<XYPlot> plot_;
    QImage image_{600, 400, QImage::Format_RGB32};
    std::unique_ptr<QPainter> painter_;
    const QRectF rect_{0, 0, 600, 400};
    const float unit_ = 450;
    std::vector<CurvePoint> first_ = {{0, 0.2}, {0.5, 0.7}, {1, 0.4}};
    std::vector<CurvePoint> second_ = {{0.5, 0.1}, {1.2, 0.9}, {2, 0.3}};
};

TEST_F(XYPlotTest, AxesCoverEveryCurveAddedSoFar) {
    EXPECT_TRUE(plot_->AddCurve(Curve(&first_)));
    EXPECT_DOUBLE_EQ(plot_->XAxis()->max, 1);
    EXPECT_TRUE(plot_->AddCurve(Curve(&second_)));
    EXPECT_EQ(plot_->xMin, 0);
    EXPECT_EQ(plot_->xMax, 2);
    EXPECT_DOUBLE_EQ(plot_->yMin, 0.1);
    EXPECT_DOUBLE_EQ(plot_->yMax, 0.9);
    EXPECT_EQ(plot_->XAxis()->min, 0);
    EXPECT_EQ(plot_->XAxis()->max, 2);
    EXPECT_EQ(plot_->XTicks()->labels.back()->text, QStringLiteral("\\mbox{2}"));

    // Another y range on request.
    plot_->yMin = -1;
    plot_->yMax = 1;
    EXPECT_TRUE(plot_->RebuildYAxis());
    EXPECT_EQ(plot_->YTicks()->labels.front()->text, QStringLiteral("\\mbox{-1}"));
    plot_->ClearCurves();
    EXPECT_TRUE(plot_->Curves().curves.empty());
}

TEST_F(XYPlotTest, AreaIsTheRectangleLessMarginsAndLabelRoom) {
    plot_->AddCurve(Curve(&first_));
    const PlotRect area = Area();
    const float x0 = 5, base = 400 - 5;
    const double dx = plot_->XTicks()->GetLabelDepth(painter_.get(), x0, base, 600, unit_, 0);
    const double dy = plot_->YTicks()->GetLabelDepth(painter_.get(), x0, base, 400, -unit_, 0);
    EXPECT_GT(dx, 5);
    EXPECT_GT(dy, 5);
    EXPECT_NEAR(area.left, x0 + dy, 1e-3);
    EXPECT_NEAR(area.bottom, base - dx, 1e-3);
    EXPECT_NEAR(area.width, 600 - dy - 10, 1e-3);
    EXPECT_NEAR(area.height, 400 - dx - 10, 1e-3);
}

TEST_F(XYPlotTest, TitlesTakeTheirRoomAndAOneLineSubtitleOnlyOne) {
    plot_->AddCurve(Curve(&first_));
    const PlotRect bare = Area();
    plot_->SetXAxisTitle(QStringLiteral("\\mbox{Total sample size}"), 9, nullptr, nullptr);
    plot_->SetYAxisTitle(QStringLiteral("\\alpha \\mbox{ err prob}"), 9, nullptr, nullptr);
    const PlotRect titled = Area();
    EXPECT_LT(titled.height, bare.height - 5);
    EXPECT_GT(titled.left, bare.left + 5);
    EXPECT_NEAR(titled.left + titled.width, bare.left + bare.width, 1e-3);

    plot_->SetSubtitle("One short line, with a comma", 100, 9, nullptr, nullptr, Upright);
    EXPECT_EQ(plot_->SubtitleLine1(), QStringLiteral("\\mbox{One short line, with a comma}"));
    EXPECT_TRUE(plot_->SubtitleLine2().isEmpty());
    const PlotRect one = Area();
    plot_->SetSubtitleLine1(QStringLiteral("\\mbox{One short line, with a comma}"), 9, nullptr,
                            nullptr);
    EXPECT_EQ(Area().height, one.height);
    EXPECT_LT(one.height, titled.height - 5);

    plot_->SetSubtitle("A longer subtitle, cut in two, near the middle", 20, 9, nullptr, nullptr,
                       Upright);
    EXPECT_EQ(plot_->SubtitleLine1(), QStringLiteral("\\mbox{A longer subtitle, cut in two,}"));
    EXPECT_EQ(plot_->SubtitleLine2(), QStringLiteral("\\mbox{near the middle}"));
    EXPECT_LT(Area().height, one.height - 5);
}

TEST_F(XYPlotTest, DataToDeviceMapsIntoTheLaidOutAreaAndTurnsWithThePlot) {
    plot_->AddCurve(Curve(&first_));
    plot_->SetTitle(QStringLiteral("\\mbox{Title}"), 0, nullptr, nullptr);
    const PlotRect area = Area();
    const CurvePoint corners[] = {{0, 0.2}, {1, 0.7}};  // the axis ranges' ends
    const LinearAxis& y = *plot_->YAxis();
    const auto mapped = plot_->DataToDevice(painter_.get(), corners, 2, rect_, unit_, 0);
    ASSERT_EQ(mapped.size(), 2u);
    EXPECT_NEAR(mapped[0].x(), area.left, 1e-3);
    EXPECT_NEAR(mapped[0].y(), area.bottom - y.Normalize(0.2f) * area.height, 1e-3);
    EXPECT_NEAR(mapped[1].x(), area.left + area.width, 1e-3);
    EXPECT_NEAR(mapped[1].y(), area.bottom - y.Normalize(0.7f) * area.height, 1e-3);

    // Turned by 90 degrees about the corner inside the margins; in the
    // painter's coordinates, whatever its own scale, so that what is drawn
    // at the positions lands on the data.
    painter_->scale(2, 2);
    const auto turned = plot_->DataToDevice(painter_.get(), corners, 2, rect_, unit_, 90);
    const QPointF pivot(5, 395);
    for (int i = 0; i < 2; ++i) {
        const QPointF d = mapped[i] - pivot;
        EXPECT_NEAR(turned[i].x(), pivot.x() - d.y(), 1e-3) << i;
        EXPECT_NEAR(turned[i].y(), pivot.y() + d.x(), 1e-3) << i;
    }
    EXPECT_TRUE(plot_->DataToDevice(painter_.get(), corners, 0, rect_, unit_, 0).empty());
}

TEST_F(XYPlotTest, DrawsWithoutCurvesAndWithAnEmptyCurve) {
    plot_->SetTitle(QStringLiteral("\\mbox{Nothing yet}"), 0, nullptr, nullptr);
    PlotRect area;
    EXPECT_TRUE(plot_->DrawInRect(painter_.get(), rect_, unit_, 0, true, &area));
    EXPECT_EQ(image_.pixelColor(300, 200), platform::FromArgb(0xFFF0F0F0));  // the area shaded
    const CurvePoint one[] = {{0, 0}};
    EXPECT_TRUE(plot_->DataToDevice(painter_.get(), one, 1, rect_, unit_, 0).empty());

    std::vector<CurvePoint> none;
    EXPECT_TRUE(plot_->AddCurve(Curve(&none)));
    EXPECT_EQ(plot_->XAxis()->min, 0);
    EXPECT_EQ(plot_->XAxis()->max, 1);
    EXPECT_TRUE(plot_->DrawInRect(painter_.get(), rect_, unit_, 0, true, &area));
    // Only grid lines cross the shaded area: no curve colour anywhere.
    for (int x = 0; x < image_.width(); x += 3)
        for (int y = 0; y < image_.height(); y += 3) {
            const QColor c = image_.pixelColor(x, y);
            ASSERT_FALSE(c.red() > c.green() + 40) << x << " " << y;
        }
}

}  // namespace
}  // namespace plot
