#include "ui/graphics/plot/xy_plot.h"

#include <QPainter>

#include "platform/painting.h"
#include "ui/graphics/mathtext/math_label.h"
#include "ui/graphics/mathtext/symbol_table.h"

namespace plot {

using mathtext::kAlignBottom;
using mathtext::kAlignCentre;
using mathtext::kAlignTop;

XYPlot::XYPlot(const QString& /*pictureName*/, mathtext::GlyphCache* fontA,
               mathtext::GlyphCache* fontB)
    : background(platform::FromArgb(0xFFF0F0F0)) {
    struct Spec {
        float points;
        float margin;
    };
    static constexpr Spec kSpecs[kRoles] = {{14, 4}, {12, 0}, {12, 0}, {10, 2},
                                            {10, 2}, {10, 2}, {10, 2}};
    for (int i = 0; i < kRoles; ++i) {
        labels_[i] =
            std::make_unique<mathtext::MathLabel>(QStringLiteral("plot"), kSpecs[i].points, true,
                                                  fontA, fontB, mathtext::SymbolMapPointer());
        labels_[i]->SetMargin(kSpecs[i].margin);
    }
    const QPen solid = platform::MakePen(platform::FromArgb(0xFF000000), 1.0);
    const QPen dashed =
        platform::MakePen(platform::FromArgb(0xFFB4B4B4), 0.5, platform::LineCap::Flat,
                          platform::LineJoin::Miter, platform::LineDash::Dash);
    const QPen dotted =
        platform::MakePen(platform::FromArgb(0xFFDCDCDC), 0.5, platform::LineCap::Flat,
                          platform::LineJoin::Miter, platform::LineDash::Dot);
    xMinorGridPen = yMinorGridPen = dotted;
    xMajorGridPen = yMajorGridPen = dashed;
    xAxisPen = yAxisPen = solid;
    xMinorTickPen = xMajorTickPen = yMinorTickPen = yMajorTickPen = solid;
}

XYPlot::~XYPlot() = default;

bool XYPlot::AddCurve(std::unique_ptr<DataCurve> curve) {
    curves_.Add(std::move(curve));
    curves_.GetRange(xMin, xMax, yMin, yMax);
    RebuildXAxis();
    return RebuildYAxis();
}

void XYPlot::ClearCurves() {
    curves_.Clear();
}

void XYPlot::RebuildXAxis() {
    if (xTicks_) xTicks_->Clear();
    xTicks_ = std::make_unique<TickAxis>(xAxisPen, xMajorTickPen, xMinorTickPen, xMajorGridPen,
                                         xMinorGridPen, 0.0f, false, xMajorTickLength,
                                         xMinorTickLength, true, false);
    xAxis_ = std::make_unique<LinearAxis>(xMin, xMax);
    xAxis_->BuildTicks(*xTicks_, labels_[kXTicks].get(), xRequestedTicks, xMinorTicks, xSnap);
}

bool XYPlot::RebuildYAxis() {
    if (yTicks_) yTicks_->Clear();
    yTicks_ = std::make_unique<TickAxis>(yAxisPen, yMajorTickPen, yMinorTickPen, yMajorGridPen,
                                         yMinorGridPen, 90.0f, true, yMajorTickLength,
                                         yMinorTickLength, false, true);
    yAxis_ = std::make_unique<LinearAxis>(yMin, yMax);
    return yAxis_->BuildTicks(*yTicks_, labels_[kYTicks].get(), yRequestedTicks, yMinorTicks,
                              ySnap);
}

void XYPlot::SetLabel(LabelRole role, QString* store, const QString& text, float size,
                      mathtext::GlyphCache* fontA, mathtext::GlyphCache* fontB) {
    mathtext::MathLabel& label = *labels_[role];
    if (store) {
        *store = text;
        label.SetText(text, true);
    }
    if (fontA) label.SetTextFont(fontA);
    if (fontB) label.SetWordFont(fontB);
    if (size > 0) label.SetFontSize(size);
}

void XYPlot::SetTickLabelStyle(float size, mathtext::GlyphCache* fontA,
                               mathtext::GlyphCache* fontB) {
    SetLabel(kXTicks, nullptr, {}, size, fontA, fontB);
    SetLabel(kYTicks, nullptr, {}, size, fontA, fontB);
}

void XYPlot::SetTitle(const QString& text, float size, mathtext::GlyphCache* a,
                      mathtext::GlyphCache* b) {
    SetLabel(kTitle, &title_, text, size, a, b);
}

void XYPlot::SetSubtitleLine1(const QString& text, float size, mathtext::GlyphCache* a,
                              mathtext::GlyphCache* b) {
    SetLabel(kSubtitle1, &subtitle1_, text, size, a, b);
}

void XYPlot::SetSubtitleLine2(const QString& text, float size, mathtext::GlyphCache* a,
                              mathtext::GlyphCache* b) {
    SetLabel(kSubtitle2, &subtitle2_, text, size, a, b);
}

void XYPlot::SetXAxisTitle(const QString& text, float size, mathtext::GlyphCache* a,
                           mathtext::GlyphCache* b) {
    SetLabel(kXTitle, &xTitle_, text, size, a, b);
}

void XYPlot::SetYAxisTitle(const QString& text, float size, mathtext::GlyphCache* a,
                           mathtext::GlyphCache* b) {
    SetLabel(kYTitle, &yTitle_, text, size, a, b);
}

void XYPlot::SetSubtitle(const std::string& text, int limit, float size, mathtext::GlyphCache* a,
                         mathtext::GlyphCache* b, LabelConverter toMarkup) {
    const auto [line1, line2] = SplitSubtitle(text, limit);
    auto markup = [&](const std::string& s) {
        return toMarkup ? toMarkup(s) : QString::fromStdString(s);
    };
    SetSubtitleLine1(markup(line1), size, a, b);
    if (line2.empty())
        SetSubtitleLine2(QString(), 0, nullptr, nullptr);
    else
        SetSubtitleLine2(markup(line2), size, a, b);
}

PlotLayout XYPlot::Layout(QPainter* g, float left, float bottom, float width, float height,
                          float unit) {
    PlotLayoutInput in;
    in.rect = {left, bottom, width, height};
    in.marginLeft = marginLeft;
    in.marginRight = marginRight;
    in.marginTop = marginTop;
    in.marginBottom = marginBottom;
    const float x0 = left + marginLeft, base = bottom - marginBottom;
    if (xTicks_)
        in.xLabelDepth = static_cast<float>(xTicks_->GetLabelDepth(g, x0, base, width, unit, 0));
    if (yTicks_)
        in.yLabelDepth = static_cast<float>(yTicks_->GetLabelDepth(g, x0, base, height, -unit, 0));
    // Only the heights matter here; the texts are placed once the area is
    // known.
    auto measure = [&](LabelRole role, const QString& text, int vAlign, float angle) {
        TitleExtent e;
        if (text.isEmpty()) return e;
        labels_[role]->Draw(g, x0, base, vAlign, kAlignCentre, angle, false);
        e.shown = true;
        e.height = labels_[role]->Height();
        return e;
    };
    in.xTitle = measure(kXTitle, xTitle_, kAlignBottom, 0);
    in.yTitle = measure(kYTitle, yTitle_, kAlignTop, -90);
    in.title = measure(kTitle, title_, kAlignTop, 0);
    in.subtitle1 = measure(kSubtitle1, subtitle1_, kAlignTop, 0);
    in.subtitle2 = measure(kSubtitle2, subtitle2_, kAlignTop, 0);
    return ComputePlotLayout(in);
}

bool XYPlot::DrawInRect(QPainter* g, const QRectF& rect, float unit, float angle, bool draw,
                        PlotRect* outArea) {
    return Draw(g, static_cast<float>(rect.left()), static_cast<float>(rect.bottom()),
                static_cast<float>(rect.width()), static_cast<float>(rect.height()), unit, angle,
                draw, outArea);
}

bool XYPlot::Draw(QPainter* g, float left, float bottom, float width, float height, float unit,
                  float angle, bool draw, PlotRect* outArea) {
    if (!g) return true;
    const QTransform saved = g->worldTransform();
    const float cx = left + marginLeft, cy = bottom - marginBottom;
    g->translate(cx, cy);
    g->rotate(angle);
    g->translate(-cx, -cy);

    const PlotLayout layout = Layout(g, left, bottom, width, height, unit);
    const PlotRect& a = layout.area;
    if (outArea) *outArea = a;
    if (draw) {
        const float middle = a.left + a.width / 2;
        if (!xTitle_.isEmpty())
            labels_[kXTitle]->Draw(g, middle, layout.xTitleBottom, kAlignBottom, kAlignCentre, 0,
                                   true);
        if (!yTitle_.isEmpty())
            labels_[kYTitle]->Draw(g, layout.x0, a.bottom - a.height / 2, kAlignTop, kAlignCentre,
                                   -90, true);
        if (!title_.isEmpty())
            labels_[kTitle]->Draw(g, middle, layout.titleTop, kAlignTop, kAlignCentre, 0, true);
        if (!subtitle1_.isEmpty())
            labels_[kSubtitle1]->Draw(g, middle, layout.subtitle1Top, kAlignTop, kAlignCentre, 0,
                                      true);
        if (!subtitle2_.isEmpty())
            labels_[kSubtitle2]->Draw(g, middle, layout.subtitle2Top, kAlignTop, kAlignCentre, 0,
                                      true);
        g->fillRect(QRectF(a.left, a.bottom - a.height, a.width, a.height), background);
        if (yTicks_ && yGrid) yTicks_->DrawGrid(g, a.left, a.bottom, a.height, -a.width, -90, true);
        if (xTicks_ && xGrid) xTicks_->DrawGrid(g, a.left, a.bottom, a.width, a.height, 0, true);
        if (xAxis_ && yAxis_) {
            for (const auto& curve : curves_.curves)
                curve->Draw(g, a.left, a.bottom - a.height, a.width, a.height, unit, xAxis_.get(),
                            yAxis_.get());
        }
        if (yTicks_) yTicks_->Draw(g, a.left, a.bottom, a.height, unit, -90, true);
        if (xTicks_) xTicks_->Draw(g, a.left, a.bottom, a.width, unit, 0, true);
    }
    g->setWorldTransform(saved);
    return true;
}

std::vector<QPointF> XYPlot::DataToDevice(QPainter* g, const CurvePoint* points, int count,
                                          const QRectF& rect, float unit, float angle) {
    std::vector<QPointF> out;
    if (!g || !points || count <= 0 || !xAxis_ || !yAxis_) return out;
    PlotRect area;
    Draw(g, static_cast<float>(rect.left()), static_cast<float>(rect.bottom()),
         static_cast<float>(rect.width()), static_cast<float>(rect.height()), unit, angle, false,
         &area);
    QTransform world;
    const double cx = rect.left() + marginLeft, cy = rect.bottom() - marginBottom;
    world.translate(cx, cy);
    world.rotate(angle);
    world.translate(-cx, -cy);
    out.reserve(count);
    for (int i = 0; i < count; ++i) {
        const Vec2 p = MapToArea(area, *xAxis_, *yAxis_, points[i].x, points[i].y);
        out.push_back(world.map(QPointF(p.x, p.y)));
    }
    return out;
}

}  // namespace plot
