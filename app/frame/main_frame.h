#pragma once

#include <QMainWindow>
#include <QPoint>
#include <QPointer>
#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "analysis/parameter_names.h"
#include "analysis/power_analysis.h"
#include "analysis/property.h"
#include "analysis/protocol.h"
#include "app/compute/calculation_worker.h"
#include "app/drawer/panel_host.h"
#include "app/drawer/per_test_input_stores.h"
#include "app/forms/form_host.h"
#include "app/options/options_command.h"
#include "app/results/result_commands.h"
#include "app/results/result_host.h"
#include "platform/commands.h"
#include "platform/dialogs.h"
#include "ui/graphics/mathtext/label_fonts.h"

class CCalculator;
class CDistPlotCompForm;
class CDrawerWnd;
class CGLMMExplorer;
class PowerGLMM;
class CFormViewEx;
class CPlotAndTable;
class PlotSettings;
class CInputHelpForm;
class CProtocolView;
class CQuorixCmdCompForm;
class CQuorixCmdForm;
class CQuorixMainCompForm;
class CQuorixMainForm;
class CRangeForm;
class CTestSelectCompForm;
class QLabel;
namespace platform {
class ScreenScroller;
}

// Command ids of the main window's menus, tool bar and keys (the result
// pane's own in result_commands.h).
namespace command_ids {
inline constexpr int kCalculator = 32770;
inline constexpr int kGridView = 32771;
inline constexpr int kTogglePlot = 32894;
inline constexpr int kToggleTestSelection = 32896;
// Show or hide the tool bar and the status bar.
inline constexpr int kToolBarCommand = 59392;
inline constexpr int kStatusBarCommand = 59393;
// Reached by its id alone: no menu item, key or button issues it.
inline constexpr int kDiagnosticDump = 32781;
// Opens the general linear model explorer.
inline constexpr int kExplorerCommand = 140;
inline constexpr int kAbout = 57664;
inline constexpr int kExit = 57665;
}  // namespace command_ids

// The main window: owns the panes, the current test's parameter lists and
// the analysis code, lays the panes out one under the other and sizes itself
// to them (it has no sizing border), and routes commands.
class CMainFrame : public QMainWindow,
                   public platform::CommandTarget,
                   public OptionsHost,
                   public ResultHost,
                   public FormHost {
  public:
    static constexpr const char* kTitle = "Quorix 3.1.9.7";

    CMainFrame();
    ~CMainFrame() override;

    // Creates the panes, the tool bar and the status bar; false when a pane
    // could not be created.
    bool OnCreate();

    // Refills the test selection and chooses the first test of the catalogue
    // with analysis type `typeIndex`.
    void ResetSelection(int typeIndex);
    // Makes the catalogue's test `testId` current with its first analysis
    // type (kept across a generic test as the test selection does) and shows
    // it; false, changing nothing, when no test has the id or a calculation
    // runs.
    bool SelectTest(int testId);
    // Rebuilds the current test's lists for the analysis type and shows
    // them with blank outputs.
    void ApplyTestToForms() override;
    // Stacks the shown panes and sizes the window to hold them.
    void RecalcLayout(bool notify = true);

    // Services of the forms.
    void OnInputsChanged() override;
    void OnInputCommitted() override;
    void CreateEffectSizePanels(int panelTestId) override;
    void DetermineEffectSize(int panelTestId) override;
    void CloseEffectSizeDrawer() override;
    bool EffectSizeDrawerOpen() const override { return drawer_ != nullptr; }
    // The effect-size panel of the shown main form's effect-size input, or -1.
    int EffectSizePanelId() const override;
    // Runs the current test's calculation on a worker thread and shows what
    // came of it.
    void OnCalculate() override;
    // The result pane switched tabs: the menus and tool bar follow at once,
    // and a distribution plot skipped while the protocol was shown is drawn.
    void OnResultTabChanged();
    // Opens the X-Y plot window (one at a time) for the current test, or
    // resets the open one to the current test.
    void OnXYPlot() override;
    // The options dialog of the current test; true when a dialog was shown,
    // whatever the user answered.
    bool OnOptions() override;
    CPlotAndTable* XYPlotWindow() const;
    PlotSettings* XYPlotSettings() const { return plotSettings_.get(); }
    // Writes a table of log-gamma values to a file the user chooses, and
    // values of a multivariate criterion to the standard error stream.
    void OnDiagnosticDump();
    // Opens the general linear model explorer; made on first use and kept,
    // with its model, for the run.
    void OnExplorer();
    CGLMMExplorer* Explorer() const { return explorer_.get(); }
    // Opens the calculator window, made once and kept for the run.
    void OnCalculator();
    CCalculator* Calculator() const { return calculator_.get(); }
    void PumpMessages() override;

    // Services of the test-selection form.
    void SetCurrentTest(PowerAnalysis* test) override { currentTest_ = test; }
    // Element `index` of the analysis-type list becomes the chosen type.
    void SetChosenType(int index) override;
    int ChosenTypeIndex() const override { return chosenTypeIndex_; }
    // The user chose type `index`: what was typed is kept for the new lists.
    void OnAnalysisTypeSelected(int index) override;

    // The protocol: every successful calculation appends an entry.
    void AddProtocolEntry(const ProtocolRecord& record);
    // The protocol's text as it is shown.
    std::string ProtocolText() const;
    // The protocol view of the result pane, or null.
    CProtocolView* ProtocolView() const;
    // The distribution graph that the calculation fills (not owned; null
    // until there is one).
    void SetDistributionPlotTarget(DistributionPlotTarget* target) { plotTarget_ = target; }

    // The shown main form (grid or edit fields) exchanges the lists.
    void GetInputsFromForm(PropertyList* inputs);
    void SetInputsOnForm(PropertyList* inputs);
    void SetOutputsOnForm(PropertyList* outputs);
    void MarkInvalidInputOnForm(int index);
    void SetEffectSizeOnForm(double value);
    // Replaces the shown main form by the other one, keeping the lists.
    void ToggleGridView();
    bool GridViewShown() const { return gridViewShown_; }

    // The shown input named `name`, after re-reading the shown form.
    Property* FindParameter(std::string name) override;

    bool IsBusy() const override { return busy_; }
    // A worker thread is computing for the current test.
    bool IsCalculationRunning() const { return worker_.Running(); }
    bool OutputsValid() const override { return outputsValid_; }
    bool PlotValid() const override { return plotValid_; }
    void SetShortFormCalculation(bool on) override { shortFormCalculation_ = on; }

    // What the panes show, for the driver and the tests.
    CQuorixMainCompForm* EditFieldForm() const { return editFieldForm_; }
    CQuorixMainForm* GridForm() const { return gridForm_; }
    CFormViewEx* MainForm() const;
    CQuorixCmdCompForm* CommandForm() const { return commandForm_; }
    CFormViewEx* TestSelectionPane() const;
    CTestSelectCompForm* TestSelectionForm() const { return testSelectionForm_; }
    CFormViewEx* PlotPane() const { return plotPane_; }
    // The result tabs (graph and protocol) of the plot pane.
    CDistPlotCompForm* ResultTabs() const { return resultTabs_; }
    PowerAnalysis* CurrentTest() const override { return currentTest_; }
    AnalysisType CurrentAnalysis() const override { return analysisType_; }
    PropertyList& Inputs() override { return inputs_; }
    PropertyList& Outputs() { return outputs_; }
    PropertyList& AnalysisTypes() override { return analysisTypes_; }
    const QString& ProgramFolder() const { return programFolder_; }
    // The label font sets through which labels and titles are drawn.
    mathtext::LabelFontSets& LabelFonts() override { return *labelFonts_; }
    platform::CommandRouter& Commands() { return commands_; }

    bool HandleCommand(int id) override;
    bool QueryCommand(int id, platform::CommandState* state) override;

    // The effect-size drawer and the services of its panels
    // (effect_size_drawer.cpp, PanelHost). The drawer takes the panels over.
    void OpenEffectSizeDrawer(std::vector<CFormViewEx*> panels, int testId);
    // Puts `view` in place of drawer panel `index`; the new panel, or null
    // (deleting `view`) when no drawer is open.
    CFormViewEx* ReplaceDrawerPane(int index, CFormViewEx* view) override;
    // The input store the panels work on: the open drawer's, else the
    // current test's; null when there is none yet or a calculation owns the
    // test.
    PropertyList* GetCurrentInputStore() override;
    // Sets the input labelled `label` by its type and shows the input list.
    void SetParameterValue(std::string label, double value) override;
    void SetEffectSize(double value) override;
    void SetMatrixDialogOpen(bool open) override { matrixDialogOpen_ = open; }
    CDrawerWnd* EffectSizeDrawer() const { return drawer_; }
    PerTestInputStores& InputStores() { return inputStores_; }
    void SetDrawerAnimation(bool onOpen, bool onClose);
    // Makes the panels of a test id; the panel table unless replaced.
    using PanelFactory = std::function<std::vector<CFormViewEx*>(int testId)>;
    void SetEffectSizePanelFactory(PanelFactory factory) { panelFactory_ = std::move(factory); }

  protected:
    // The drawer follows the frame.
    void moveEvent(QMoveEvent* event) override;
    // Once shown, the window manager's frame is known: the window is fitted
    // to the screen with it.
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Closing while a calculation runs stops it first; the window closes
    // once the worker has left.
    void closeEvent(QCloseEvent* event) override;

  private:
    // The plot's commands (copy, save, print) are offered only while a plot
    // is shown, in the menus and on the tool bar alike.
    void SetPlotValid(bool valid) {
        plotValid_ = valid;
        commands_.RefreshActions();
    }
    // Sizes the drawer to its panels and places it beside the frame on the
    // frame's screen (PlaceDrawer); where only moving the frame makes room
    // beside it and `mayMoveFrame`, the frame moves.
    void FitEffectSizeDrawer(bool mayMoveFrame = false);
    // Opens the drawer with the panels of a test id and runs their set-ups;
    // with `takeFocus` the drawer takes the keyboard focus before them, so
    // that a set-up that reports a field leaves the focus on that field.
    void OpenEffectSizePanels(int panelTestId, bool takeFocus);

    bool HandleKey(int key);
    bool CreateMainForm();
    // Makes the panes that start hidden once they are to be shown; false
    // when one could not be made.
    bool CreateShownExtraPanes();
    void CreateMenusAndToolBar();
    void ShowAbout();
    void RunDistributionPlot(
        bool noPlot, const std::function<void()>& idle,
        const std::function<void(const std::string&, const char*, platform::MessageIcon)>& report);

    // Pane flags: which panes are shown.
    bool gridViewShown_ = false;
    bool editFieldShown_ = true;
    bool inputHelpShown_ = false;
    bool shortCommandShown_ = false;
    bool rangeShown_ = false;
    bool fullCommandShown_ = true;
    bool testSelectionShown_ = true;
    bool plotPaneShown_ = true;

    bool busy_ = false;
    bool closeAfterCalculation_ = false;
    bool enterInProgress_ = false;
    // A panel's matrix dialog is open: Enter belongs to the dialog.
    bool matrixDialogOpen_ = false;
    bool shortFormCalculation_ = false;
    bool outputsValid_ = false;
    bool plotValid_ = false;
    // The last calculation skipped its distribution plot because the
    // protocol tab was shown; meaningful while the outputs are valid.
    bool plotOwed_ = false;

    QWidget* panes_ = nullptr;
    // Holds the panes; scrolls them where the screen is too small for all.
    platform::ScreenScroller* scroller_ = nullptr;
    CQuorixMainForm* gridForm_ = nullptr;
    CQuorixMainCompForm* editFieldForm_ = nullptr;
    CInputHelpForm* inputHelpForm_ = nullptr;
    CQuorixCmdForm* shortCommandForm_ = nullptr;
    CQuorixCmdCompForm* commandForm_ = nullptr;
    CRangeForm* rangeForm_ = nullptr;
    CTestSelectCompForm* testSelectionForm_ = nullptr;
    CFormViewEx* plotPane_ = nullptr;
    CDistPlotCompForm* resultTabs_ = nullptr;  // the plot pane
    QLabel* statusText_ = nullptr;

    PowerAnalysis* currentTest_ = nullptr;  // owned by the test catalogue
    AnalysisType analysisType_ = kPostHoc;
    PropertyList inputs_;
    PropertyList outputs_;
    PropertyList analysisTypes_;
    int chosenTypeIndex_ = 0;
    int effectSizeRow_ = -1;
    ProtocolRecord protocolRecord_;
    DistributionPlotTarget* plotTarget_ = nullptr;
    CalculationWorker worker_;

    QString programFolder_;
    platform::CommandRouter commands_;
    std::unique_ptr<mathtext::LabelFontSets> labelFonts_;
    std::unique_ptr<CCalculator> calculator_;
    // The explorer points into its model: the model goes after it.
    std::unique_ptr<PowerGLMM> explorerModel_;
    std::unique_ptr<CGLMMExplorer> explorer_;

    PerTestInputStores inputStores_;
    CDrawerWnd* drawer_ = nullptr;  // a child window; null while closed
    int drawerTestId_ = -1;         // the test id whose panels it shows
    bool animateDrawerOpen_ = true;
    bool animateDrawerClose_ = false;
    int drawerInset_ = 24;
    bool movingForDrawer_ = false;  // the frame moves to make room for the drawer
    // Where the frame stood before it moved aside for the open drawer, and
    // where it moved to: it goes back when the drawer closes, unless the
    // user has put it elsewhere meanwhile.
    std::optional<std::pair<QPoint, QPoint>> frameMovedForDrawer_;
    PanelFactory panelFactory_;

    // The X-Y plot's settings outlive its window, which deletes itself on close.
    std::unique_ptr<PlotSettings> plotSettings_;
    QPointer<CPlotAndTable> xyPlotWindow_;
};
