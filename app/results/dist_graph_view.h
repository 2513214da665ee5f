#pragma once

#include <QRectF>
#include <QString>
#include <memory>

#include "analysis/plot_data.h"
#include "app/widgets/graph_view.h"

class DistributionGraph;
class QMenu;
class ResultHost;

// Command ids of the distribution graph's context menu.
namespace command_ids {
inline constexpr int kCopyPlot = 32778;
inline constexpr int kSavePlot = 32779;
inline constexpr int kPrintPlot = 32780;
}  // namespace command_ids

// The graph of the first result tab: the densities of the test statistic
// under H0 and H1 with the critical values and the alpha and beta areas,
// drawn from the record that the last distribution-plot run produced.
class CDistGraphView : public CGraphView {
  public:
    explicit CDistGraphView(ResultHost* host, QWidget* parent = nullptr);
    ~CDistGraphView() override;

    void DrawGraph(QPainter* g, const QRectF& rect) override;

    // Wipes the graph to the background at once (an input has changed).
    void RedrawBlank();

    // The record that is drawn. The plot worker never writes it: it fills a
    // record of its own, which the user-interface thread moves in here once
    // the worker has ended.
    PlotData& Data() { return data_; }
    // A new record has arrived for a test with this number of tails.
    void TakeNewPlot(bool oneTailed);
    // Whether the last run could not produce a drawing: the pane then says
    // so instead, as long as the outputs of that run are shown.
    void SetFailed(bool failed);
    bool Failed() const { return failed_; }
    // The line the pane shows in place of a graph: why the distributions
    // are not drawn, or nothing while there is a graph or no result.
    QString NoteShown();

    // Whether the pane shows distributions (not a blank or a note), the
    // only time there is a picture to copy, save or print.
    bool ShowsPlot() { return HasSomethingToDraw(); }

    // The context menu, or null before a successful calculation; its items
    // are enabled only while a plot is shown.
    std::unique_ptr<QMenu> MakeContextMenu();

  protected:
    void contextMenuEvent(QContextMenuEvent* event) override;

  private:
    // The main window's results: the one given, else the window found as
    // the holder of the label fonts.
    ResultHost* Host();
    bool HasSomethingToDraw();

    ResultHost* host_;
    PlotData data_;
    std::unique_ptr<DistributionGraph> graph_;
    bool drawEnabled_ = true;
    bool oneTailed_ = true;
    bool failed_ = false;
};

// Shown in the pane when the distributions cannot be drawn.
inline constexpr const char* kCannotDrawText =
    "The central and noncentral distributions cannot be drawn\nfor these input parameters.";
// Shown in the pane after a calculation of a test that draws no distributions
// (the exact tests that enumerate their outcomes).
inline constexpr const char* kNoPlotText =
    "This test has no plot of central and noncentral distributions\nfor these input parameters.";
