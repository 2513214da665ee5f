#pragma once

// The X-Y plot window: the user picks what is plotted against what, the
// ranges and the number of curves, and starts the computation, which runs on
// a worker thread on the settings' own copy of the test. The result shows as
// a graph or as a table under the plot's heading.

#include <QDialog>
#include <QPointer>
#include <atomic>

#include "app/compute/calculation_worker.h"
#include "app/widgets/form_view_ex.h"

class CGridCtrl;
class CPlotGraphView;
class CTableTitle;
class PlotSettings;
class QAction;
class QMenuBar;
class QProgressBar;
class QSpinBox;
class QTabBar;

namespace platform {
class ScreenScroller;
}

namespace mathtext {
class LabelFontSets;
}

// Control and command ids of the window.
namespace xy_plot_ids {
inline constexpr int kParametersGroup = 1151;
inline constexpr int kTabs = 1051;
inline constexpr int kArea = 1053;
inline constexpr int kYLabel = 1152;
inline constexpr int kYCombo = 1038;
inline constexpr int kMarkers = 1021;
inline constexpr int kValueLabels = 1019;
inline constexpr int kDigits = 1088;
inline constexpr int kDigitsLabel = 1090;
inline constexpr int kXLabel = 1153;
inline constexpr int kXCombo = 1039;
inline constexpr int kXFrom = 1054;
inline constexpr int kXStep = 1003;
inline constexpr int kXTo = 1002;
inline constexpr int kCurveCount = 1052;
inline constexpr int kLayerLabel = 1057;
inline constexpr int kLayerCombo = 1040;
inline constexpr int kLayerFromLabel = 1058;
inline constexpr int kLayerFrom = 1004;
inline constexpr int kLayerStepLabel = 1059;
inline constexpr int kLayerStep = 1006;
inline constexpr int kConstantLabel = 1060;
inline constexpr int kConstantCombo = 1041;
inline constexpr int kConstantValueLabel = 1061;
inline constexpr int kConstantValue = 1007;
inline constexpr int kDrawPlot = 1055;
inline constexpr int kShowLabel = 1089;
inline constexpr int kShow = 1092;
inline constexpr int kProgress = 1091;

inline constexpr int kSavePlot = 32889;
inline constexpr int kPrintPlot = 32890;
inline constexpr int kExit = 32772;
inline constexpr int kCopyPlot = 32891;
inline constexpr int kResizable = 32897;
}  // namespace xy_plot_ids

namespace xy_plot_messages {
inline constexpr const char* kCaption = "Quorix - Plot";
inline constexpr const char* kInterrupted = "Generation of plot interrupted!";
inline constexpr const char* kInterruptedCaption = "User interruption";
inline constexpr const char* kBusy =
    "A calculation of the main window or the calculator is running.\n"
    "Please draw the plot again when it has finished.";
}  // namespace xy_plot_messages

platform::DialogTemplate PlotWindowForm();

class CPlotAndTable : public QDialog {
  public:
    // The smallest size of the window while it is sizable, in pixels.
    static constexpr int kMinimumWidth = 777;
    static constexpr int kMinimumHeight = 500;

    CPlotAndTable(PlotSettings* settings, mathtext::LabelFontSets* fonts,
                  QWidget* parent = nullptr);
    ~CPlotAndTable() override;

    // Rereads the settings into the controls and drops the shown plot.
    void ReloadFromSettings();
    // Chooses an entry of the "Show" list as the user would.
    void SetShowEntry(int index);

    // "Draw plot": reads and checks the fields, computes, shows the result.
    void OnDrawPlot();
    // Esc: asks a running computation to stop.
    void RequestCancel();

    bool PlotValid() const { return plotValid_; }
    bool IsComputing() const { return computing_; }
    bool MarkersShown() const;
    bool ValueLabelsShown() const;
    int ValueDigits() const;
    bool TableShown() const { return tableShown_; }
    bool Resizable() const { return resizable_; }
    void SetResizable(bool on);

    CFormViewEx* Form() const { return form_; }
    CPlotGraphView* GraphView() const { return graphView_; }
    CGridCtrl* Table() const { return table_; }
    CTableTitle* TableTitle() const { return tableTitle_; }
    QProgressBar* Progress() const { return progress_; }
    QAction* Action(int id) const;
    PlotSettings* Settings() const { return settings_; }

    // Called by the form for every user action on a control.
    void OnControl(int id, platform::ControlEvent event);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    // Shown, the window knows its window manager's frame and fits the
    // screen with it.
    void showEvent(QShowEvent* event) override;

  private:
    void BuildMenu();
    void FillRoleCombos();
    void SelectRoleCombos();
    void WriteFields();
    void UpdateLayerControls();
    void UpdateValueControls();
    bool ReadFields();
    void FillTable();
    void ShowCurrentTab();
    void RefreshActions();
    void Repaint();
    void LayoutArea();
    // The graph area takes what the form has grown beyond its design size.
    void FollowFormSize();

    PlotSettings* settings_;
    mathtext::LabelFontSets* fonts_;
    CFormViewEx* form_ = nullptr;
    // Holds the form; scrolls it on a screen too small for the window.
    platform::ScreenScroller* scroller_ = nullptr;
    QMenuBar* menu_ = nullptr;
    CPlotGraphView* graphView_ = nullptr;
    QWidget* tablePane_ = nullptr;
    CTableTitle* tableTitle_ = nullptr;
    CGridCtrl* table_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QSpinBox* digits_ = nullptr;

    bool plotValid_ = false;
    bool tableShown_ = false;
    bool resizable_ = false;
    bool computing_ = false;
    bool enterInProgress_ = false;
    bool closeAfterComputation_ = false;
    QSize formSize_;
    QSize appliedExtra_{0, 0};  // what the graph area has grown by

    std::atomic<bool> cancel_{false};
    CalculationWorker worker_;
};
