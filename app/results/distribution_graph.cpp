#include "app/results/distribution_graph.h"

#include <QPainter>
#include <algorithm>

#include "app/widgets/ui_helpers.h"
#include "platform/painting.h"
#include "ui/graphics/mathtext/label_fonts.h"
#include "ui/graphics/mathtext/math_label.h"
#include "ui/graphics/mathtext/symbol_table.h"
#include "ui/graphics/plot/xy_plot.h"

namespace {

constexpr std::uint32_t kBackground = 0xFFFBFBFB;
constexpr std::uint32_t kRed = 0xFFFF0000;
constexpr std::uint32_t kBlue = 0xFF0000FF;
constexpr std::uint32_t kGreen = 0xFF00FF00;
constexpr std::uint32_t kLightRed = 0xFFFFDCDC;
constexpr std::uint32_t kLightBlue = 0xFFDCDCFF;
constexpr float kTension = 0.03f;

QPen CurvePen(std::uint32_t argb, double width) {
    return platform::MakePen(platform::FromArgb(argb), width);
}

}  // namespace

float CriticalLabelShift(float width, float x, float left, float areaWidth) {
    float shift = 0;
    if (width / 2 > x - left) shift = width / 2 - x + left;
    if ((left + areaWidth) - x < width / 2) shift = (left + areaWidth - x) - width / 2;
    return shift;
}

AreaLabelPlacement PlaceAreaLabel(QPointF anchor, float areaBottom, float areaHeight,
                                  float sideStep) {
    AreaLabelPlacement out;
    if (anchor.y() < areaBottom - 0.1 * areaHeight) {
        out.labelPoint = anchor;
        return out;
    }
    const double d = std::max(1.5 * (areaBottom - anchor.y()), 10.0);
    out.leader = true;
    out.labelPoint = QPointF(anchor.x() + sideStep, anchor.y() - d);
    return out;
}

bool KeepAreaLabelInside(AreaLabelPlacement* place, QPointF anchor, float width, bool towardsLeft,
                         float left, float areaWidth) {
    const double x = place->labelPoint.x();
    const bool fits = towardsLeft ? x - width >= left : x + width <= left + areaWidth;
    if (fits || !place->leader) return towardsLeft;
    place->labelPoint.setX(2.0 * anchor.x() - x);
    return !towardsLeft;
}

DistributionGraph::DistributionGraph(mathtext::LabelFontSets* fonts) : fonts_(fonts) {}

DistributionGraph::~DistributionGraph() = default;

void DistributionGraph::Draw(QPainter* g, const QRectF& rect, const PlotData& data,
                             bool oneTailed) {
    g->fillRect(rect, platform::FromArgb(kBackground));
    if (data.centralCurve.empty() || !fonts_) return;
    const float unit = static_cast<float>(rect.width() * 0.5);
    if (!plot_) {
        plot_ = std::make_unique<plot::XYPlot>(QStringLiteral("distplot"), &fonts_->plotRomanFonts,
                                               &fonts_->romanItalicFonts);
        plot_->xGrid = plot_->yGrid = false;
        plot_->SetTickLabelStyle(8, &fonts_->labelFonts, &fonts_->labelItalicFonts);
        plot_->yRequestedTicks = 6;
        plot_->yMinorTickLength = plot_->xMinorTickLength = 0.01f;
        plot_->yMajorTickLength = plot_->xMajorTickLength = 0.015f;
        plot_->marginLeft = 2;
        plot_->marginRight = 16;
        plot_->marginTop = 16;
        plot_->marginBottom = 2;
    } else {
        plot_->ClearCurves();
    }
    auto area = [&](const std::vector<PlotPoint>& points, std::uint32_t colour) {
        if (points.empty()) return;
        auto curve =
            std::make_unique<plot::DataCurve>(&points, std::nullopt, kTension, false, nullptr);
        curve->SetFillBrush(true, QBrush(platform::FromArgb(colour)));
        plot_->AddCurve(std::move(curve));
    };
    plot_->AddCurve(
        std::make_unique<plot::DataCurve>(&data.markers, std::nullopt, kTension, false, nullptr));
    area(data.betaArea, kLightBlue);
    area(data.alphaArea, kLightRed);
    area(data.alphaArea2, kLightRed);
    plot_->AddCurve(std::make_unique<plot::DataCurve>(&data.centralCurve, CurvePen(kRed, 1.3),
                                                      kTension, false, nullptr));
    QPen dashed = CurvePen(kBlue, 1.3);
    dashed.setDashPattern({5.0, 3.0});
    plot_->AddCurve(
        std::make_unique<plot::DataCurve>(&data.noncentralCurve, dashed, kTension, false, nullptr));
    if (plot_->yMax > data.yLimit && data.yLimit > plot_->yMin) {
        plot_->yMax = data.yLimit;
        plot_->RebuildYAxis();
    }

    const QRectF plotRect(rect.x(), rect.y(), rect.width(), rect.height());
    plot::PlotRect a;
    plot_->DrawInRect(g, plotRect, unit, 0, true, &a);
    PlotPoint points[5];
    points[0] = {data.criticalValue, 0};
    points[1] = data.alphaLabel;
    points[2] = data.betaLabel;
    points[3] = {data.criticalValue2, 0};
    points[4] = data.alphaLabel2;
    const std::vector<QPointF> p = plot_->DataToDevice(g, points, 5, plotRect, unit, 0);
    if (p.size() != 5) return;
    const float X = a.left, Y = a.bottom, W = a.width, H = a.height;

    g->save();
    g->setPen(CurvePen(kGreen, 1));
    g->drawLine(QPointF(p[0].x(), Y - H - 3), QPointF(p[0].x(), Y));
    if (!oneTailed) g->drawLine(QPointF(p[3].x(), Y - H - 3), QPointF(p[3].x(), Y));
    g->restore();

    mathtext::MathLabel critical(QStringLiteral("critical"), 8, true, &fonts_->labelFonts,
                                 &fonts_->labelFonts, mathtext::SymbolMapPointer());
    QString text = QStringLiteral("\\mbox{critical ") + ToWideString(data.statisticName) +
                   QStringLiteral(" = }\\; ") +
                   QString::fromStdWString(plot::FormatNumberAsMathText(data.criticalValue, -1));
    TexToUnicode(text);
    critical.SetText(text, true);
    critical.SetMargin(3);
    critical.Draw(g, 0, 0, mathtext::kAlignTop, mathtext::kAlignCentre, 0, false);
    const float shift = CriticalLabelShift(critical.Width(), static_cast<float>(p[0].x()), X, W);
    critical.Draw(g, static_cast<float>(p[0].x()) + shift, static_cast<float>(rect.y()),
                  mathtext::kAlignTop, mathtext::kAlignCentre, 0, true);

    const float side = data.side < 0 ? -1.0f : 1.0f;
    auto areaLabel = [&](const QString& markup, QPointF anchor, float step, std::uint32_t colour,
                         float leaderMargin, int hAlignPositive, int hAlignNegative) {
        mathtext::MathLabel label(QStringLiteral("area"), 14, true, &fonts_->plotRomanFonts,
                                  &fonts_->romanItalicFonts, mathtext::SymbolMapPointer());
        label.SetText(markup, true);
        label.SetMargin(0);
        AreaLabelPlacement place = PlaceAreaLabel(anchor, Y, H, step);
        if (!place.leader) {
            label.Draw(g, static_cast<float>(anchor.x()), static_cast<float>(anchor.y()),
                       mathtext::kAlignCentre, mathtext::kAlignCentre, 0, true);
            return;
        }
        // A large noncentrality puts the beta anchor at the axis's left end:
        // the label then goes to the leader's other side, inside the plot.
        label.SetMargin(leaderMargin);
        label.Draw(g, 0, 0, mathtext::kAlignBottom, mathtext::kAlignLeft, 0, false);
        const bool towardsLeft =
            (side > 0 ? hAlignPositive : hAlignNegative) == mathtext::kAlignRight;
        const bool left = KeepAreaLabelInside(&place, anchor, label.Width(), towardsLeft, X, W);
        QPen pen = CurvePen(colour, 1);
        g->save();
        g->setPen(pen);
        g->drawLine(place.labelPoint, anchor);
        // The round end sits at the label.
        g->setBrush(platform::FromArgb(colour));
        g->drawEllipse(place.labelPoint, 1.5, 1.5);
        g->restore();
        label.Draw(g, static_cast<float>(place.labelPoint.x()),
                   static_cast<float>(place.labelPoint.y()), mathtext::kAlignBottom,
                   left ? mathtext::kAlignRight : mathtext::kAlignLeft, 0, true);
    };
    if (p[1].x() < X + W && !data.alphaArea.empty())
        areaLabel(oneTailed ? QStringLiteral("{\\fgcolor{FFFF0000}\\mbox{α}}")
                            : QStringLiteral("{\\fgcolor{FFFF0000}\\frac{\\mbox{α}}{2}}"),
                  p[1], 10 * side, kRed, 1, mathtext::kAlignLeft, mathtext::kAlignRight);
    if (X < p[2].x() && !data.betaArea.empty())
        areaLabel(QStringLiteral("{\\fgcolor{FF0000FF}\\mbox{β}}"), p[2], -10 * side, kBlue, 2,
                  mathtext::kAlignRight, mathtext::kAlignLeft);
}
