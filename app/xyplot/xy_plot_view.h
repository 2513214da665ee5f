#pragma once

// The graph of the X-Y plot window's "Graph" tab: draws the settings' curves
// through XYPlotGraph with the window's choices of markers and value labels;
// the graph view base paints it off-screen and copies, saves and prints it.

#include <QRectF>
#include <functional>
#include <memory>

#include "app/widgets/graph_view.h"
#include "app/xyplot/xy_plot_graph.h"

class PlotSettings;
class QMenu;
class QPainter;

// Command ids of the graph's context menu.
namespace xy_plot_ids {
inline constexpr int kCopyPlotToClipboard = 32778;
inline constexpr int kSavePlotToFile = 32779;
inline constexpr int kPrintPlotPicture = 32780;
}  // namespace xy_plot_ids

class CPlotGraphView : public CGraphView {
  public:
    // `options` tells the view, each time it draws, whether a plot has been
    // computed and how the window wants its markers and value labels.
    CPlotGraphView(std::function<XYPlotOptions()> options, mathtext::LabelFontSets* fonts,
                   QWidget* parent);
    ~CPlotGraphView() override;

    void SetSettings(const PlotSettings* settings) { settings_ = settings; }
    const PlotSettings* Settings() const { return settings_; }
    void DrawGraph(QPainter* g, const QRectF& rect) override;
    // Covers the parent's client area.
    void FitToParent();
    const XYPlotGraph& Graph() const { return graph_; }

    // The context menu; null before a computation has completed.
    std::unique_ptr<QMenu> MakeContextMenu();

  protected:
    void contextMenuEvent(QContextMenuEvent* event) override;

  private:
    std::function<XYPlotOptions()> options_;
    const PlotSettings* settings_ = nullptr;
    XYPlotGraph graph_;
};
