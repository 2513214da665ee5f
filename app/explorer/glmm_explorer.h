#pragma once

#include <QDialog>
#include <QString>
#include <map>

class QAction;
class QPushButton;
class QTabBar;
class PowerGLMM;
class CFormViewEx;
class CGLMM_In_General;
class CGLMM_In_Design;
class CGLMM_In_Means;
class CGLMM_In_Sigma;
class CGLMM_In_CMat;
class CGLMM_In_AMat;
class CGLMM_Results;
struct ModelFileGrids;

// The modal "General Linear Model Explorer": seven tabs over one model that
// its opener owns (general settings, design X, means B, covariance Sigma,
// predictor and response contrasts, results). On entering a tab its grid
// first follows the grid it depends on. Calculate writes, for every pair of
// a predictor and a response contrast, the power or the required sample
// size of every applicable test as tables into the Results tab. The five
// grids are loaded from and saved to ".gmm" model files.
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
    // OnInitDialog, then runs modally; the dialog's result.
    int DoModal();

    void OnCalculate();
    void OnLoad();
    void OnSave();
    void OnSaveAs();
    // The grids from the file, or none of them changed; on failure the
    // reason in `error`.
    bool LoadModel(const QString& path, QString* error);
    // The five grids into the file, whole or not at all.
    bool SaveModel(const QString& path, QString* error);

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
    QAction* MenuAction(int command) const;
    const QString& ModelFile() const { return modelFile_; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void OnTabChange(int index);
    void CreateMenu();
    void ReadGrids(ModelFileGrids& grids);
    void ShowGrids(const ModelFileGrids& grids);
    void Warn(const QString& text);
    QString ModelFolder() const;

    PowerGLMM* model_ = nullptr;
    QString modelFile_;
    QTabBar* tabs_;
    QWidget* pages_;
    QPushButton* calculate_;
    QPushButton* ok_;
    std::map<int, QAction*> actions_;
    CGLMM_In_General* general_ = nullptr;
    CGLMM_In_Design* design_ = nullptr;
    CGLMM_In_Means* means_ = nullptr;
    CGLMM_In_Sigma* sigma_ = nullptr;
    CGLMM_In_CMat* predContrast_ = nullptr;
    CGLMM_In_AMat* varContrast_ = nullptr;
    CGLMM_Results* results_ = nullptr;
    CFormViewEx* current_ = nullptr;
};
