#pragma once

// The graph of the X-Y plot window's "Graph" tab: draws the settings' curves
// through XYPlotGraph with the window's choices of markers and value labels.

#include <QRectF>
#include <QWidget>

#include "app/xy_plot_graph.h"

class CPlotAndTable;
class PlotSettings;
class QPainter;

class CPlotGraphView : public QWidget {
  public:
    CPlotGraphView(CPlotAndTable* owner, mathtext::LabelFontSets* fonts, QWidget* parent);
    ~CPlotGraphView() override;

    void SetSettings(const PlotSettings* settings) { settings_ = settings; }
    const PlotSettings* Settings() const { return settings_; }
    // The drawing into `rect` (points).
    void DrawGraph(QPainter* g, const QRectF& rect);
    void ClearBackground(QPainter* g, const QRectF& rect);
    // Covers the parent's client area.
    void FitToParent();
    const XYPlotGraph& Graph() const { return graph_; }

    // The picture of the plot: to the clipboard, into a file, to a printer.
    void CopyPlot();
    void SavePlot();
    void PrintPlot();

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    CPlotAndTable* owner_;
    mathtext::LabelFontSets* fonts_;
    const PlotSettings* settings_ = nullptr;
    XYPlotGraph graph_;
};
