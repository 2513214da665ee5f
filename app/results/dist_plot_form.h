#pragma once

#include "app/compute/calculation_worker.h"
#include "app/widgets/form_view_ex.h"
#include "platform/commands.h"

class CDistGraphView;
class ResultHost;
class CProtocolView;
struct ProtocolRecord;

// The result pane of the main window: a tab control whose tabs switch
// between the distribution graph and the protocol of the run's analyses.
class CDistPlotCompForm : public CFormViewEx,
                          public DistributionPlotTarget,
                          public platform::CommandTarget {
  public:
    static constexpr int kTabs = 1041;
    static constexpr int kArea = 1042;

    explicit CDistPlotCompForm(ResultHost* host);
    ~CDistPlotCompForm() override;

    // Inserts the two tabs and creates the graph over the area control; the
    // protocol's view is made when first needed.
    void OnInitialUpdate() override;

    // Switches to the other tab.
    void OnTabChange();
    bool GraphShown() const { return graphShown_; }

    CDistGraphView* Graph() const { return graph_; }
    // The protocol's view, made on first use: most starts never show it
    // before the first calculation writes to it.
    CProtocolView* Protocol() const;

    // Writes the record as the protocol's next entry.
    void AddProtocolEntry(const ProtocolRecord& record);

    // The calculation driver's view of the graph.
    PlotData* GraphData() override;
    bool DistributionTabShown() override { return graphShown_; }
    void RedrawPlot() override;
    void SetPlotFailed(bool failed) override;

    // The picture commands of the File menu while the graph tab is shown,
    // the protocol commands while the protocol tab is shown.
    bool HandleCommand(int id) override;
    bool QueryCommand(int id, platform::CommandState* state) override;

  protected:
    void OnControlEvent(int id, platform::ControlEvent event) override;

  private:
    // The view of the protocol tab, made as a child of `area`.
    CProtocolView* CreateProtocolView(QWidget* area);
    CProtocolView* MakeProtocol();
    void ShowCurrentTab();

    ResultHost* host_;
    CDistGraphView* graph_ = nullptr;    // child of the area control
    CProtocolView* protocol_ = nullptr;  // child of the area control, once made
    QRect viewRect_;                     // both views' place in the area
    bool graphShown_ = true;
};

// The frame's older plot pane: a frame and a caption around an empty area.
// The frame makes one but never shows it.
class CDistPlotForm : public CFormViewEx {
  public:
    CDistPlotForm();
};
