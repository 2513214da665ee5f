#include "app/xyplot/xy_plot_graph.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

#include "app/widgets/ui_helpers.h"
#include "app/xyplot/xy_plot_settings.h"
#include "platform/painting.h"
#include "ui/graphics/mathtext/label_fonts.h"
#include "ui/graphics/mathtext/math_label.h"
#include "ui/graphics/mathtext/symbol_table.h"
#include "ui/graphics/plot/xy_plot.h"

namespace {

constexpr std::uint32_t kWhite = 0xFFFFFFFF;
constexpr std::uint32_t kBackground = 0xFFFAFAFA;
constexpr std::uint32_t kBlack = 0xFF000000;
constexpr std::uint32_t kLegendBox = 0xFFE6E6E6;
constexpr float kLineWidth = 1.2f;

// Marker kind, filled with the curve's colour, size relative to the base.
struct MarkerSpec {
    int kind;
    bool filled;
    float size;
};
constexpr MarkerSpec kMarkers[XYPlotGraph::kStyles] = {
    {4, false, 1.0f}, {2, false, 1.05f}, {3, false, 0.8f}, {12, false, 1.2f}, {13, false, 1.2f},
    {8, false, 1.1f}, {2, true, 1.05f},  {3, true, 0.8f},  {12, true, 1.2f},  {13, true, 1.2f},
};

QPen CurvePen(int curve) {
    return platform::MakePen(platform::FromArgb(XYPlotGraph::kCurveColours[curve]), kLineWidth);
}

// The layer's second curve above its first at some common x: the legend
// then lists the curves from the last, as they lie in the plot.
bool SecondCurveAbove(const std::vector<XYCurve>& curves) {
    if (curves.size() < 2) return false;
    const XYCurve& a = curves[0];
    const XYCurve& b = curves[1];
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        if (a[i].valid && b[i].valid && b[i].y > a[i].y) return true;
    }
    return false;
}

}  // namespace

XYPlotGraph::XYPlotGraph(mathtext::LabelFontSets* fonts) : fonts_(fonts) {
    for (int i = 0; i < kStyles; ++i) {
        const QColor colour = platform::FromArgb(kCurveColours[i]);
        const MarkerSpec& m = kMarkers[i];
        markerStyles_[i] = std::make_unique<plot::CurveStyle>(
            0.0, 0.0, m.kind, platform::MakePen(colour, kLineWidth),
            QBrush(m.filled ? colour : platform::FromArgb(kWhite)), m.size * kMarkerSize, false);
    }
}

XYPlotGraph::~XYPlotGraph() = default;

void XYPlotGraph::Draw(QPainter* g, const QRectF& rect, const PlotSettings* settings,
                       const XYPlotOptions& options) {
    legendRect_ = QRectF();
    legendOrder_.clear();
    if (!options.plotValid) {
        g->fillRect(rect, platform::FromArgb(kWhite));
        return;
    }
    g->fillRect(rect, platform::FromArgb(kBackground));
    if (!settings || settings->tableCurves.empty() || !fonts_) return;
    const PlotSettings& s = *settings;
    const float width = static_cast<float>(rect.width());
    const float height = static_cast<float>(rect.height());
    const float u = width / 420;
    const float unit = 0.75f * width;
    const int curves = std::min(static_cast<int>(s.tableCurves.size()), kStyles);

    if (!plot_) {
        plot_ = std::make_unique<plot::XYPlot>(QStringLiteral("quorixplot"), &fonts_->labelFonts,
                                               &fonts_->romanItalicFonts);
        plot_->xGrid = plot_->yGrid = true;
        plot_->SetTickLabelStyle(8, &fonts_->labelFonts, &fonts_->labelItalicFonts);
        plot_->yRequestedTicks = 10;
        plot_->yMinorTickLength = plot_->xMinorTickLength = 0.01f;
        plot_->yMajorTickLength = plot_->xMajorTickLength = 0.015f;
    } else {
        plot_->ClearCurves();
    }
    plot_->marginTop = 7 * u;
    plot_->marginBottom = 5 * u;
    plot_->marginLeft = 3 * u;
    plot_->marginRight = (curves > 1 ? 90 : 16) * u;

    auto name = [&](int role) { return role >= 0 && role < 4 ? s.names[role] : std::string(); };
    mathtext::GlyphCache* a = &fonts_->labelFonts;
    mathtext::GlyphCache* b = &fonts_->romanItalicFonts;
    plot_->SetXAxisTitle(ToMathTextLabel(name(s.xRole)), 9, a, b);
    plot_->SetYAxisTitle(ToMathTextLabel(name(s.yRole)), 9, a, b);
    plot_->SetTitle(ToMathTextLabel(s.title), 10, a, b);
    plot_->SetSubtitle(s.subtitle, 100, 9, a, b, &ToMathTextLabel);

    const bool sampleSizeAxis =
        s.xRole == PlotSettings::kTotalSampleSize || s.yRole == PlotSettings::kTotalSampleSize;
    tension_ =
        s.test && s.test->IsContinuous() && (!sampleSizeAxis || !s.test->SampleSizeCurveFlag())
            ? 0.3f
            : 0.0f;

    const int lines = std::min(static_cast<int>(s.drawCurves.size()), kStyles);
    for (int i = 0; i < lines; ++i) {
        plot_->AddCurve(std::make_unique<plot::DataCurve>(&s.drawCurves[i], CurvePen(i), tension_,
                                                          false, nullptr));
    }
    if (options.markers) {
        for (int i = 0; i < curves; ++i) {
            plot_->AddCurve(std::make_unique<plot::DataCurve>(
                &s.tableCurves[i], std::nullopt, tension_, false, markerStyles_[i]->Clone()));
        }
    }

    // Room at the ends of the axes where the data touch them.
    double dataXMin = 0, dataXMax = 1, dataYMin = 0, dataYMax = 1;
    for (int i = 0; i < curves; ++i) {
        double x0 = 0, x1 = 1, y0 = 0, y1 = 1;
        plot::ComputePointRange(s.tableCurves[i], x0, x1, y0, y1);
        if (i == 0) {
            dataXMin = x0, dataXMax = x1, dataYMin = y0, dataYMax = y1;
        } else {
            dataXMin = std::min(dataXMin, x0), dataXMax = std::max(dataXMax, x1);
            dataYMin = std::min(dataYMin, y0), dataYMax = std::max(dataYMax, y1);
        }
    }
    const double plotWidth = width - plot_->marginRight;
    const double dx = (s.xMax - s.xMin) * 0.03 * height / plotWidth;
    const double dy = (s.yMax - s.yMin) * 0.03 * plotWidth / height;
    rangeMarginPoints_.clear();
    if (std::fabs(s.xMin - dataXMin) < dx) rangeMarginPoints_.push_back({s.xMin - dx, s.yMin});
    if (std::fabs(s.xMax - dataXMax) < dx) rangeMarginPoints_.push_back({s.xMax + dx, s.yMax});
    if (std::fabs(s.yMax - dataYMax) < dy) rangeMarginPoints_.push_back({s.xMax, s.yMax + dy});
    if (std::fabs(s.yMin - dataYMin) < dy) rangeMarginPoints_.push_back({s.xMin, s.yMin - dy});
    if (!rangeMarginPoints_.empty()) {
        plot_->AddCurve(std::make_unique<plot::DataCurve>(&rangeMarginPoints_, std::nullopt, 0.0f,
                                                          false, nullptr));
    }

    const QRectF plotRect(rect.x(), rect.y(), width, height);
    plot::PlotRect pa;
    plot_->DrawInRect(g, plotRect, unit, 0, true, &pa);
    const QRectF area(pa.left, pa.bottom - pa.height, pa.width, pa.height);

    if (options.markers && options.valueLabels)
        DrawValueLabels(g, plotRect, unit, area, s, options.digits);
    if (curves > 1) DrawLegend(g, rect, area, u, unit, s, options.markers);
}

void XYPlotGraph::DrawValueLabels(QPainter* g, const QRectF& plotRect, float unit,
                                  const QRectF& area, const PlotSettings& s, int digits) {
    mathtext::MathLabel label(QStringLiteral("value"), 7, true, &fonts_->labelFonts,
                              &fonts_->labelFonts, mathtext::SymbolMapPointer());
    label.SetMargin(3);
    const int curves = std::min(static_cast<int>(s.tableCurves.size()), kStyles);
    for (int k = 0; k < curves; ++k) {
        const XYCurve& curve = s.tableCurves[k];
        if (curve.empty()) continue;
        const std::vector<QPointF> points =
            plot_->DataToDevice(g, curve.data(), static_cast<int>(curve.size()), plotRect, unit, 0);
        // A falling curve gets its labels above the points, a rising one below.
        const int vertical =
            curve.back().y < curve.front().y ? mathtext::kAlignBottom : mathtext::kAlignTop;
        for (size_t i = 0; i < points.size() && i < curve.size(); ++i) {
            if (!curve[i].valid) continue;
            const float px = static_cast<float>(points[i].x());
            const float py = static_cast<float>(points[i].y());
            label.SetText(QString::fromStdWString(plot::FormatNumberAsMathText(curve[i].y, digits)),
                          true);
            label.Draw(g, px, py, vertical, mathtext::kAlignLeft, 0, false);
            int h = mathtext::kAlignLeft;
            int v = vertical;
            if (px + label.Width() > area.right()) h = mathtext::kAlignRight;
            if (v == mathtext::kAlignBottom && py - label.Height() < area.top())
                v = mathtext::kAlignTop;
            else if (v == mathtext::kAlignTop && py + label.Height() > area.bottom())
                v = mathtext::kAlignBottom;
            label.Draw(g, px, py, v, h, 0, true);
        }
    }
}

void XYPlotGraph::DrawLegend(QPainter* g, const QRectF& rect, const QRectF& area, float u,
                             float unit, const PlotSettings& s, bool markers) {
    const int n = std::min(static_cast<int>(s.tableCurves.size()), kStyles);
    const float rowHeight = 10 * u;
    const float rowPitch = 16 * u;
    const float left = static_cast<float>(area.right()) + 5 * u;
    const float width = static_cast<float>(rect.right()) - left - 5 * u;
    const float height = (n + 1) * rowPitch;
    const float top = static_cast<float>(area.center().y()) - height / 2;
    legendRect_ = QRectF(left, top, width, height);

    g->save();
    g->setBrush(Qt::NoBrush);
    g->setPen(platform::MakePen(platform::FromArgb(kBlack), 0.5));
    g->drawRect(legendRect_);
    g->restore();

    const int layer = s.layerRole;
    mathtext::MathLabel heading(QStringLiteral("legend heading"), 8, true, &fonts_->labelFonts,
                                &fonts_->romanItalicFonts, mathtext::SymbolMapPointer());
    heading.SetMargin(0);
    heading.SetText(ToMathTextLabel(layer >= 0 && layer < 4 ? s.names[layer] : std::string()),
                    true);
    heading.Draw(g, left + 3 * u, top + 3 * u, mathtext::kAlignTop, mathtext::kAlignLeft, 0, true);

    for (int i = 0; i < n; ++i) legendOrder_.push_back(i);
    if (SecondCurveAbove(s.tableCurves)) std::reverse(legendOrder_.begin(), legendOrder_.end());

    mathtext::MathLabel text(QStringLiteral("legend"), 8, true, &fonts_->labelFonts,
                             &fonts_->romanItalicFonts, mathtext::SymbolMapPointer());
    text.SetMargin(0);
    const float boxWidth = 0.35f * width;
    for (int row = 0; row < n; ++row) {
        const int k = legendOrder_[row];
        const float rowTop = top + (row + 1) * rowPitch;
        const QRectF box(left, rowTop, boxWidth, rowHeight);
        const float middle = static_cast<float>(box.center().y());
        g->fillRect(box, platform::FromArgb(kLegendBox));
        g->save();
        g->setPen(CurvePen(k));
        g->drawLine(QPointF(box.left() + 3 * u, middle), QPointF(box.right() - 3 * u, middle));
        g->restore();
        if (markers) {
            markerStyles_[k]->DrawMarker(g, static_cast<float>(box.center().x()), middle, unit);
        }
        text.SetText(ToMathTextLabel(s.curveLabels[k]), true);
        text.Draw(g, static_cast<float>(box.right()) + 4 * u, middle, mathtext::kAlignCentre,
                  mathtext::kAlignLeft, 0, true);
    }
}
