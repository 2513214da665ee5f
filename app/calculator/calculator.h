#pragma once

#include <QDialog>
#include <QString>
#include <string>
#include <thread>

#include "analysis/formula.h"

class QLineEdit;
class QPlainTextEdit;
class QPushButton;

// The calculator's named variables for one evaluation: names compare byte by
// byte, case-sensitive; each record owns its name, which is also its key.
class CalculatorVariables : public VariableTree {
  public:
    struct Record : VariableRecord {
        std::string name;
    };

    CalculatorVariables() = default;
    ~CalculatorVariables() override;

    int Compare(const void* nodeKey, const void* key) const override;
    void DeleteValue(void* value) override;
    VariableRecord* Find(const char* name) override;
    // Replaces the value of `name` or adds the variable; false when no memory
    // could be had.
    bool Set(const std::string& name, double value);

  private:
    Node* root_ = nullptr;
};

// What came of evaluating a calculator text: the value of its last statement,
// or 0 with the message the user reads (a statement that failed to parse or
// evaluate, or whose value is not a number).
struct CalculatorOutcome {
    double value = 0.0;
    std::string message;  // empty when every statement evaluated
};

// Evaluates the statements of `text` (separated by ';' or line breaks, '#'
// starting a comment to the end of the line; "name = expression" assigns).
// Touches no window, so that it may run on a worker thread. A function of
// the formula evaluator may throw; that escapes.
CalculatorOutcome EvaluateCalculatorText(const std::string& text);

// The calculator window: statements in, the value of the last one out with
// 15 significant digits. Evaluation runs on a worker thread; its outcome
// comes back to the window through a queued call.
class CCalculator : public QDialog {
  public:
    static constexpr int kCalculate = 1141;
    static constexpr int kNew = 57600;
    static constexpr int kLoad = 32782;
    static constexpr int kSave = 57603;
    static constexpr int kSaveAs = 32877;

    // `modelsFolder` is where the file dialogs open.
    explicit CCalculator(QString modelsFolder, QWidget* parent = nullptr);
    ~CCalculator() override;

    void OnCalculate();
    void OnNew();
    void OnLoad();
    void OnSave();
    void OnSaveAs();

    // The window's parts, for the frame and the tests.
    QPlainTextEdit* InputEdit() const { return input_; }
    QLineEdit* ResultEdit() const { return result_; }
    QPushButton* CalculateButton() const { return calculate_; }
    const QString& FilePath() const { return path_; }
    bool EvaluationRunning() const { return worker_.joinable(); }

  private:
    void SetPath(const QString& path);
    // The worker's outcome, on the user-interface thread. `failed`: an
    // exception escaped the evaluation; no result is shown.
    void OnEvaluated(CalculatorOutcome outcome, bool failed);
    bool WriteFile(const QString& path);
    // The text of the input edit, character for character.
    QString EditText() const;

    QString modelsFolder_;
    QString path_;
    // The file loaded ended every line in CR LF; saving writes them so again.
    bool crlf_ = false;
    std::string expression_;
    QPlainTextEdit* input_ = nullptr;
    QLineEdit* result_ = nullptr;
    QPushButton* calculate_ = nullptr;
    std::thread worker_;
};
