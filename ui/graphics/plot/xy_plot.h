#pragma once

// The plot object of both result graphs: a title, two subtitle lines, axis
// titles (the y one rotated), a shaded plot area with grid lines, the data
// curves and two labelled axes. The layout follows the sizes of the texts at
// every drawing, so the plot fills whatever rectangle it is given.

#include <QColor>
#include <QPen>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <array>
#include <memory>
#include <string>
#include <vector>

#include "ui/graphics/plot/data_curve.h"
#include "ui/graphics/plot/plot_geometry.h"
#include "ui/graphics/plot/tick_axis.h"

class QPainter;

namespace mathtext {
class GlyphCache;
class MathLabel;
}  // namespace mathtext

namespace plot {

// Turns a plain label text into the markup the plot draws; supplied by the
// program, which knows how its labels are written.
using LabelConverter = QString (*)(const std::string& label);

class XYPlot {
  public:
    // The two font sets are the text and word fonts of every label.
    XYPlot(const QString& pictureName, mathtext::GlyphCache* fontA, mathtext::GlyphCache* fontB);
    virtual ~XYPlot();
    XYPlot(const XYPlot&) = delete;
    XYPlot& operator=(const XYPlot&) = delete;

    // Takes the curve; recomputes the range and rebuilds both axes. Returns
    // whether the y axis got its ticks.
    bool AddCurve(std::unique_ptr<DataCurve> curve);
    void ClearCurves();
    // Rebuilds the y axis from yMin and yMax after a user changed them.
    bool RebuildYAxis();

    bool DrawInRect(QPainter* g, const QRectF& rect, float unit, float angle, bool draw,
                    PlotRect* outArea);
    // The rectangle is (left, bottom, width, height) with page y down.
    bool Draw(QPainter* g, float left, float bottom, float width, float height, float unit,
              float angle, bool draw, PlotRect* outArea);
    // Positions of data points in the plot laid out in `rect`, in the
    // painter's current coordinates (those of `rect`), so that the caller can
    // draw at them with the same painter; empty without points or before the
    // first curve.
    std::vector<QPointF> DataToDevice(QPainter* g, const CurvePoint* points, int count,
                                      const QRectF& rect, float unit, float angle);

    void SetTickLabelStyle(float size, mathtext::GlyphCache* fontA, mathtext::GlyphCache* fontB);
    void SetTitle(const QString& text, float size, mathtext::GlyphCache* fontA,
                  mathtext::GlyphCache* fontB);
    void SetSubtitleLine1(const QString& text, float size, mathtext::GlyphCache* fontA,
                          mathtext::GlyphCache* fontB);
    void SetSubtitleLine2(const QString& text, float size, mathtext::GlyphCache* fontA,
                          mathtext::GlyphCache* fontB);
    void SetXAxisTitle(const QString& text, float size, mathtext::GlyphCache* fontA,
                       mathtext::GlyphCache* fontB);
    void SetYAxisTitle(const QString& text, float size, mathtext::GlyphCache* fontA,
                       mathtext::GlyphCache* fontB);
    // Splits a long plain text at a comma near its middle into the two
    // subtitle lines; a short one fills line 1 and empties line 2.
    void SetSubtitle(const std::string& text, int limit, float size, mathtext::GlyphCache* fontA,
                     mathtext::GlyphCache* fontB, LabelConverter toMarkup);

    const QString& Title() const { return title_; }
    const QString& SubtitleLine1() const { return subtitle1_; }
    const QString& SubtitleLine2() const { return subtitle2_; }
    TickAxis* XTicks() const { return xTicks_.get(); }
    TickAxis* YTicks() const { return yTicks_.get(); }
    const LinearAxis* XAxis() const { return xAxis_.get(); }
    const LinearAxis* YAxis() const { return yAxis_.get(); }
    const DataCurveContainer& Curves() const { return curves_; }

    // Pen roles; the defaults are a solid black axis and tick pen, a grey
    // dashed major grid and a light grey dotted minor grid.
    QPen xMinorGridPen, xMajorGridPen, yMinorGridPen, yMajorGridPen;
    QPen xAxisPen, yAxisPen;
    QPen xMinorTickPen, xMajorTickPen, yMinorTickPen, yMajorTickPen;

    float marginLeft = 5, marginRight = 5, marginTop = 5, marginBottom = 5;
    float yMinorTickLength = 0.02f, yMajorTickLength = 0.03f;
    float xMinorTickLength = 0.02f, xMajorTickLength = 0.03f;
    int yMinorTicks = 1, xMinorTicks = 1;
    int yRequestedTicks = 10, xRequestedTicks = 10;
    bool xSnap = false, ySnap = false;
    double xMin = 0, xMax = 1, yMin = 0, yMax = 1;
    bool xGrid = true, yGrid = true;
    QColor background;

  private:
    enum LabelRole { kTitle, kSubtitle1, kSubtitle2, kXTitle, kYTitle, kXTicks, kYTicks, kRoles };

    void SetLabel(LabelRole role, QString* store, const QString& text, float size,
                  mathtext::GlyphCache* fontA, mathtext::GlyphCache* fontB);
    void RebuildXAxis();
    // Measures the texts and lays the plot out in the painter's current
    // transform.
    PlotLayout Layout(QPainter* g, float left, float bottom, float width, float height, float unit);

    std::array<std::unique_ptr<mathtext::MathLabel>, kRoles> labels_;
    QString title_, subtitle1_, subtitle2_, xTitle_, yTitle_;
    std::unique_ptr<TickAxis> yTicks_, xTicks_;
    std::unique_ptr<LinearAxis> xAxis_, yAxis_;
    DataCurveContainer curves_;
};

}  // namespace plot
