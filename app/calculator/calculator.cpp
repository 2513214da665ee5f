#include "app/calculator/calculator.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <cctype>
#include <cstring>
#include <exception>
#include <fstream>
#include <iterator>
#include <new>
#include <vector>

#include "app/frame/numerics_claim.h"
#include "app/widgets/ui_helpers.h"
#include "platform/dialogs.h"

// ------------------------------------------------------------ variables

CalculatorVariables::~CalculatorVariables() {
    DestroyAll(&root_, true);
}

int CalculatorVariables::Compare(const void* nodeKey, const void* key) const {
    return std::strcmp(static_cast<const char*>(nodeKey), static_cast<const char*>(key));
}

void CalculatorVariables::DeleteValue(void* value) {
    delete static_cast<Record*>(value);
}

VariableRecord* CalculatorVariables::Find(const char* name) {
    return static_cast<Record*>(AVLTree::Find(name, root_));
}

bool CalculatorVariables::Set(const std::string& name, double value) {
    if (VariableRecord* record = Find(name.c_str())) {
        record->value = value;
        return true;
    }
    auto* record = new (std::nothrow) Record;
    if (!record) return false;
    record->name = name;
    record->value = value;
    newValue = record;
    if (Insert(record->name.c_str(), &root_) != 1) {
        delete record;
        return false;
    }
    return true;
}

// ------------------------------------------------------------ evaluation

namespace {

bool IsSpace(char c) {
    return std::isspace(static_cast<unsigned char>(c)) != 0;
}
bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// The statements of a text, comments dropped, outer white space trimmed.
std::vector<std::string> SplitStatements(const std::string& text) {
    std::vector<std::string> statements;
    size_t i = 0;
    const size_t n = text.size();
    while (i < n) {
        while (i < n && IsSpace(text[i])) ++i;
        std::string statement;
        while (i < n && text[i] != '\n' && text[i] != '\r') {
            if (text[i] == ';') {
                ++i;
                break;
            }
            if (text[i] == '#') {
                while (i < n && text[i] != '\n' && text[i] != '\r') ++i;
                break;
            }
            statement += text[i++];
        }
        while (!statement.empty() && IsSpace(statement.back())) statement.pop_back();
        if (!statement.empty()) statements.push_back(std::move(statement));
    }
    return statements;
}

// Splits "name = expression"; false when the statement is malformed.
bool SplitAssignment(const std::string& statement, std::string* name, std::string* expression) {
    const size_t eq = statement.find('=');
    if (eq == std::string::npos) {
        name->clear();
        *expression = statement;
    } else {
        const std::string namePart = statement.substr(0, eq);
        size_t end = 0;
        while (end < namePart.size() && !IsBlank(namePart[end])) ++end;
        *name = namePart.substr(0, end);
        for (size_t k = end; k < namePart.size(); ++k) {
            if (!IsBlank(namePart[k])) return false;  // a second word
        }
        if (name->empty()) return false;
        *expression = statement.substr(eq + 1);
        if (expression->find('=') != std::string::npos) return false;
    }
    for (char c : *expression) {
        if (!IsSpace(c)) return true;
    }
    return false;  // nothing to evaluate
}

}  // namespace

CalculatorOutcome EvaluateCalculatorText(const std::string& text) {
    CalculatorVariables variables;
    CalculatorOutcome outcome;
    for (const std::string& statement : SplitStatements(text)) {
        std::string name;
        std::string expression;
        if (!SplitAssignment(statement, &name, &expression)) {
            return {0.0, "Error in expr: " + statement};
        }
        VarFormula formula(expression.c_str(), &variables);
        if (formula.GetError() != Formula::kValid) return {0.0, formula.GetMessage()};
        const double value = formula.Evaluate();
        if (formula.GetError() > 0) return {0.0, formula.GetMessage()};
        outcome.value = value;
        if (!name.empty()) variables.Set(name, value);
    }
    return outcome;
}

// ------------------------------------------------------------ the window

namespace {

constexpr const char* kCaption = "Quorix";

platform::FileDialogRequest ExpressionRequest(const QString& title, const QString& folder,
                                              const QString& suffix) {
    platform::FileDialogRequest request;
    request.title = title;
    request.folder = folder;
    request.filter = QStringLiteral("txt (*.txt);;all (*.*)");
    request.defaultSuffix = suffix;
    return request;
}

}  // namespace

CCalculator::CCalculator(QString modelsFolder, QWidget* parent)
    : QDialog(parent), modelsFolder_(std::move(modelsFolder)) {
    auto* layout = new QVBoxLayout(this);
    auto* menuBar = new QMenuBar(this);
    QMenu* file = menuBar->addMenu(QStringLiteral("&File"));
    file->addAction(QStringLiteral("New"), this, &CCalculator::OnNew);
    file->addAction(QStringLiteral("&Load ..."), this, &CCalculator::OnLoad);
    file->addAction(QStringLiteral("&Save ..."), this, &CCalculator::OnSave);
    file->addAction(QStringLiteral("Save As ..."), this, &CCalculator::OnSaveAs);
    file->addSeparator();
    file->addAction(QStringLiteral("&Exit"), this, &QDialog::close);
    layout->setMenuBar(menuBar);

    auto* inputBox = new QGroupBox(QStringLiteral("Input expression"), this);
    auto* inputLayout = new QVBoxLayout(inputBox);
    input_ = new QPlainTextEdit(inputBox);
    inputLayout->addWidget(input_);
    layout->addWidget(inputBox, 1);

    calculate_ = new QPushButton(QStringLiteral("Calculate"), this);
    connect(calculate_, &QPushButton::clicked, this, &CCalculator::OnCalculate);
    layout->addWidget(calculate_);

    auto* resultBox = new QGroupBox(QStringLiteral("Result"), this);
    auto* resultLayout = new QVBoxLayout(resultBox);
    result_ = new QLineEdit(resultBox);
    result_->setReadOnly(true);
    resultLayout->addWidget(result_);
    layout->addWidget(resultBox);

    setModal(false);
    SetPath(QString());
}

CCalculator::~CCalculator() {
    // The worker only reads its own copy of the text; its report to this
    // window is dropped with the window.
    if (worker_.joinable()) {
        worker_.join();
        NumericsClaim::Give();
    }
}

void CCalculator::SetPath(const QString& path) {
    path_ = path;
    setWindowTitle(QStringLiteral("Calculator - ") + path_);
}

void CCalculator::OnCalculate() {
    if (worker_.joinable()) return;
    if (!NumericsClaim::TryTake()) {
        platform::ShowMessage(
            this,
            QStringLiteral("A calculation of the main window or the X-Y plot is running.\n"
                           "Please calculate again when it has finished."),
            QString::fromLatin1(kCaption), platform::MessageIcon::Information);
        return;
    }
    expression_ = ToNarrowString(input_->toPlainText());
    calculate_->setEnabled(false);
    worker_ = std::thread([this, text = expression_] {
        CalculatorOutcome outcome;
        bool failed = false;
        try {
            outcome = EvaluateCalculatorText(text);
        } catch (...) {
            failed = true;
        }
        QMetaObject::invokeMethod(
            this, [this, outcome, failed] { OnEvaluated(outcome, failed); }, Qt::QueuedConnection);
    });
}

void CCalculator::OnEvaluated(CalculatorOutcome outcome, bool failed) {
    if (worker_.joinable()) worker_.join();
    NumericsClaim::Give();
    if (!failed) {
        if (!outcome.message.empty()) {
            platform::ShowMessage(this, ToWideString(outcome.message),
                                  QString::fromLatin1(kCaption), platform::MessageIcon::Warning);
        }
        result_->setText(QString::asprintf("%.15g", outcome.value));
    }
    calculate_->setEnabled(true);
}

void CCalculator::OnNew() {
    SetPath(QString());
    input_->clear();
    result_->clear();
}

void CCalculator::OnLoad() {
    const auto chosen = platform::FileDialogs().OpenFileName(
        this, ExpressionRequest(QStringLiteral("Choose expression"), modelsFolder_, QString()));
    if (!chosen || chosen->isEmpty()) return;
    std::ifstream in(chosen->toStdString(), std::ios::binary);
    if (!in) {
        platform::ShowMessage(this, QStringLiteral("The file could not be opened:\n") + *chosen,
                              QString::fromLatin1(kCaption), platform::MessageIcon::Warning);
        return;
    }
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (in.bad()) {
        platform::ShowMessage(this, QStringLiteral("The file could not be read:\n") + *chosen,
                              QString::fromLatin1(kCaption), platform::MessageIcon::Warning);
        return;
    }
    SetPath(*chosen);
    input_->setPlainText(ToWideString(text));
}

void CCalculator::OnSaveAs() {
    const auto chosen = platform::FileDialogs().SaveFileName(
        this, ExpressionRequest(QStringLiteral("Choose filename for expression"), modelsFolder_,
                                QStringLiteral("txt")));
    if (!chosen || chosen->isEmpty()) return;
    // The title names a file only once the text is in it.
    if (WriteFile(*chosen)) SetPath(*chosen);
}

void CCalculator::OnSave() {
    if (path_.isEmpty()) {
        OnSaveAs();
        return;
    }
    WriteFile(path_);
}

bool CCalculator::WriteFile(const QString& path) {
    const std::string text = ToNarrowString(input_->toPlainText());
    std::ofstream out(path.toStdString(), std::ios::binary | std::ios::trunc);
    if (out) {
        out.write(text.data(), static_cast<std::streamsize>(text.size()));
        out.close();
    }
    if (!out) {
        platform::ShowMessage(this, QStringLiteral("The file could not be written:\n") + path,
                              QString::fromLatin1(kCaption), platform::MessageIcon::Warning);
        return false;
    }
    return true;
}
