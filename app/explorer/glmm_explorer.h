#pragma once

#include <QDialog>
#include <QString>
#include <array>
#include <atomic>
#include <map>
#include <optional>
#include <vector>

#include "glm/explorer_model.h"
#include "glm/model_file.h"

class QAction;
class QLabel;
class QPushButton;
class QTabBar;
class PowerGLMM;
class CFormViewEx;
class CGLMMTabForm;
class CGLMM_In_General;
class CGLMM_In_Design;
class CGLMM_In_Means;
class CGLMM_In_Sigma;
class CGLMM_In_CMat;
class CGLMM_In_AMat;
class CGLMM_Results;

// The modal "General Linear Model Explorer": seven tabs (general settings,
// design X, means B, covariance Sigma, predictor and response contrasts,
// results) over one model record, its document. The tabs show the record
// and write what the user typed into it before anything reads it; on
// entering a tab the record's grid first follows the grid it depends on.
// Calculate takes the record and writes, for every pair of a predictor and
// a response contrast, the power or the required sample size of every
// applicable test as tables into the Results tab, computing in the model
// that its opener owns. The five grids are loaded from and saved to ".gmm"
// model files. Its opener may keep it: run again, it shows the model as it
// was left.
class CGLMMExplorer : public QDialog {
  public:
    enum Tab : int {
        kGeneral = 0,
        kDesign,
        kMeans,
        kSigma,
        kPredContrast,
        kVarContrast,
        kResults,
    };
    static constexpr int kCalculateButton = 1117;
    // Menu commands.
    static constexpr int kLoad = 32782;
    static constexpr int kSaveAs = 57604;
    static constexpr int kSave = 57603;
    static constexpr int kExit = 132;
    static constexpr int kAnova = 32871;
    static constexpr int kManova = 32872;
    static constexpr int kRepeatedMeasurements = 32873;

    explicit CGLMMExplorer(QWidget* parent = nullptr);
    ~CGLMMExplorer() override;

    // The opener's model; set before OnInitDialog. The dialog never deletes it.
    void SetModel(PowerGLMM* model) { model_ = model; }
    // Creates the tabs and their forms, the General tab shown; false when a
    // form cannot be created.
    bool OnInitDialog();
    // Runs modally, OnInitDialog first on the first run only; the dialog's
    // result, or -1 when it cannot be created.
    int DoModal();

    // The model record, with what the user typed into any tab written into it.
    const ExplorerModel& Document();
    void OnCalculate();
    void OnLoad();
    void OnSave();
    void OnSaveAs();
    // The grids from the file, or none of them changed; on failure the
    // reason in `error`.
    bool LoadModel(const QString& path, QString* error);
    // The five grids into the file, whole or not at all.
    bool SaveModel(const QString& path, QString* error);

    // True when the five grids differ from the model as last loaded or
    // saved (or from the initial model). The General tab is no part of it.
    bool HasUnsavedChanges();
    // Before the grids are replaced or lost: when they hold changes that
    // were never saved the user is asked to save them (Yes), drop them (No)
    // or keep them (Cancel); true when they may go.
    bool MayDiscardChanges();

    QTabBar* Tabs() const { return tabs_; }
    CFormViewEx* CurrentForm() const { return current_; }
    CGLMM_In_General* GeneralForm() const { return general_; }
    CGLMM_In_Design* DesignForm() const { return design_; }
    CGLMM_In_Means* MeansForm() const { return means_; }
    CGLMM_In_Sigma* SigmaForm() const { return sigma_; }
    CGLMM_In_CMat* PredContrastForm() const { return predContrast_; }
    CGLMM_In_AMat* VarContrastForm() const { return varContrast_; }
    CGLMM_Results* ResultsForm() const { return results_; }
    QPushButton* CalculateButton() const { return calculate_; }
    QPushButton* OkButton() const { return ok_; }
    // "Calculating… Esc stops", shown while a calculation runs.
    QLabel* BusyText() const { return busy_; }
    QAction* MenuAction(int command) const;
    const QString& ModelFile() const { return modelFile_; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Enter commits the field it was pressed in and never closes the dialog.
    void keyPressEvent(QKeyEvent* event) override;
    // Esc and the close box stop a running calculation instead.
    void reject() override;

  private:
    void OnTabChange(int index);
    void CreateMenu();
    std::array<CGLMMTabForm*, 5> MatrixTabs() const;
    // Every tab's edits into the record; every tab showing the record.
    void CommitEdits();
    void ShowDocument();
    // Shows `tab` after its grid of the record followed the one it depends on.
    void Enter(CGLMMTabForm* tab, ExplorerModel::Grid grid);
    void Warn(const QString& text);
    // While a calculation runs the window takes no command but Esc: every
    // control and menu action is off, and the busy text shows.
    void SetCalculating(bool calculating);
    // Tells why nothing is computed and puts the user on the place.
    void ShowProblem(const ExplorerModel::Problem& problem);
    // The model file's path; the title names the file.
    void SetModelFile(const QString& path);
    void Remember(const QString& path);
    // Puts the user on a cell (headers counted) of the design, means or
    // covariance grid.
    void ShowCell(int tab, int row, int col);
    // Empties the Results tab unless its tables were computed for the model
    // and settings as they are now.
    void ClearResultsOfOtherModels();

    PowerGLMM* model_ = nullptr;
    ExplorerModel document_;
    QString modelFile_;
    // The folder the file dialogs open in: the folder of the last model
    // loaded or saved, else the user's home.
    QString fileFolder_;
    // The grids as last loaded or saved (or as the dialog opened).
    ModelFileGrids savedGrids_;
    // What the Results tab's tables were computed for, while it shows any.
    struct CalculatedModel {
        ModelFileGrids grids;
        ReportSettingsTexts settings;
        bool operator==(const CalculatedModel& other) const;
    };
    std::optional<CalculatedModel> shownFor_;
    bool initialised_ = false;
    bool calculating_ = false;
    std::atomic<bool> cancel_{false};
    QWidget* menuBar_ = nullptr;
    QTabBar* tabs_;
    QWidget* pages_;
    QLabel* busy_;
    QPushButton* calculate_;
    QPushButton* ok_;
    std::map<int, QAction*> actions_;
    std::vector<QAction*> offDuringCalculation_;
    CGLMM_In_General* general_ = nullptr;
    CGLMM_In_Design* design_ = nullptr;
    CGLMM_In_Means* means_ = nullptr;
    CGLMM_In_Sigma* sigma_ = nullptr;
    CGLMM_In_CMat* predContrast_ = nullptr;
    CGLMM_In_AMat* varContrast_ = nullptr;
    CGLMM_Results* results_ = nullptr;
    CFormViewEx* current_ = nullptr;
};
