#pragma once

#include <QMainWindow>
#include <QString>
#include <memory>

#include "analysis/parameter_names.h"
#include "analysis/power_analysis.h"
#include "analysis/property.h"
#include "platform/commands.h"

class CFormViewEx;
class CInputHelpForm;
class CQuorixCmdCompForm;
class CQuorixCmdForm;
class CQuorixMainCompForm;
class CQuorixMainForm;
class CRangeForm;
class QLabel;

// Command ids of the main window's menus, tool bar and keys.
namespace command_ids {
inline constexpr int kCalculator = 32770;
inline constexpr int kGridView = 32771;
inline constexpr int kCopyDistributionsPlot = 32885;
inline constexpr int kPrintDistributionsPlot = 32883;
inline constexpr int kSaveDistributionsPlot = 32884;
inline constexpr int kSaveProtocol = 32886;
inline constexpr int kPrintProtocol = 32887;
inline constexpr int kClearProtocol = 32888;
inline constexpr int kTogglePlot = 32894;
inline constexpr int kToggleTestSelection = 32896;
inline constexpr int kAbout = 57664;
inline constexpr int kExit = 57665;
}  // namespace command_ids

// The main window: owns the panes, the current test's parameter lists and
// the analysis code, lays the panes out one under the other and sizes itself
// to them (it has no sizing border), and routes commands.
class CMainFrame : public QMainWindow, public platform::CommandTarget, public ParameterSource {
public:
    static constexpr const char* kTitle = "Quorix 3.1.9.7";

    CMainFrame();
    ~CMainFrame() override;

    // Creates the panes, the tool bar and the status bar; false when a pane
    // could not be created.
    bool OnCreate();

    // Picks the start-up test and shows it. `typeIndex` is the analysis type
    // chosen at first.
    void ResetSelection(int typeIndex);
    void ApplyTestToForms();
    // Stacks the shown panes and sizes the window to hold them.
    void RecalcLayout(bool notify = true);

    // Services of the forms.
    void OnInputsChanged();
    void OnInputCommitted();
    void CreateEffectSizePanels(int panelTestId);
    void CloseEffectSizeDrawer();
    void OnCalculate();
    void OnXYPlot();
    void OnOptions();
    void PumpMessages();

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

    bool IsBusy() const { return busy_; }
    void SetShortFormCalculation(bool on) { shortFormCalculation_ = on; }

    // What the panes show, for the driver and the tests.
    CQuorixMainCompForm* EditFieldForm() const { return editFieldForm_; }
    CQuorixMainForm* GridForm() const { return gridForm_; }
    CFormViewEx* MainForm() const;
    CQuorixCmdCompForm* CommandForm() const { return commandForm_; }
    CFormViewEx* TestSelectionPane() const { return testSelectionPane_; }
    CFormViewEx* PlotPane() const { return plotPane_; }
    PowerAnalysis* CurrentTest() const { return currentTest_; }
    AnalysisType CurrentAnalysis() const { return analysisType_; }
    PropertyList& Inputs() { return inputs_; }
    PropertyList& Outputs() { return outputs_; }
    PropertyList& AnalysisTypes() { return analysisTypes_; }
    const QString& ProgramFolder() const { return programFolder_; }
    platform::CommandRouter& Commands() { return commands_; }

    bool HandleCommand(int id) override;
    bool QueryCommand(int id, platform::CommandState* state) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool HandleKey(int key);
    bool CreateMainForm();
    void CreateMenusAndToolBar();
    void ShowAbout();

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
    bool enterInProgress_ = false;
    bool shortFormCalculation_ = false;
    bool outputsValid_ = false;
    bool plotValid_ = false;

    QWidget* panes_ = nullptr;
    CQuorixMainForm* gridForm_ = nullptr;
    CQuorixMainCompForm* editFieldForm_ = nullptr;
    CInputHelpForm* inputHelpForm_ = nullptr;
    CQuorixCmdForm* shortCommandForm_ = nullptr;
    CQuorixCmdCompForm* commandForm_ = nullptr;
    CRangeForm* rangeForm_ = nullptr;
    CFormViewEx* testSelectionPane_ = nullptr;
    CFormViewEx* plotPane_ = nullptr;
    QLabel* statusText_ = nullptr;

    PowerAnalysis* currentTest_ = nullptr;  // owned by the test catalogue
    AnalysisType analysisType_ = kPostHoc;
    PropertyList inputs_;
    PropertyList outputs_;
    PropertyList analysisTypes_;
    int chosenTypeIndex_ = 0;
    int effectSizeRow_ = -1;

    QString programFolder_;
    platform::CommandRouter commands_;
};
