#include "app/calculator/calculator.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextDocument>
#include <QVBoxLayout>
#include <cctype>
#include <cmath>
#include <cstring>
#include <exception>
#include <iterator>
#include <new>
#include <sstream>
#include <vector>

#include "app/compute/numerics_claim.h"
#include "app/widgets/ui_helpers.h"
#include "platform/dialogs.h"
#include "platform/files.h"

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

// The smallest part of a formula whose value is not a number while no part
// below it is one: where the NaN arose.
const FormulaTree* WhereNaNArose(const FormulaTree* node) {
    std::vector<const FormulaTree*> parts = {node->left.get(), node->right.get()};
    for (const auto& arg : node->args) parts.push_back(arg.get());
    for (const FormulaTree* part : parts) {
        if (part && std::isnan(part->EvaluateNode())) return WhereNaNArose(part);
    }
    return node;
}

// Why a statement's value is not a number, naming the part where it arose:
// a function outside its domain (the square root of a negative number) or
// an operation without a value (0/0, an infinity less itself).
std::string NotANumberMessage(const std::string& statement, const Formula& formula) {
    std::string reason = "it is not defined";
    try {
        const FormulaTree* part = WhereNaNArose(&formula);
        std::ostringstream printed;
        part->Print(printed);
        if (part->op == kOpCall && part->left && part->left->operand) {
            reason = printed.str() + " is outside the domain of the function " +
                     part->left->operand->name;
        } else if (part->op != kOpNone && part->op != kOpCall) {
            reason = printed.str() + " has no value";
        }
    } catch (...) {
        // The formula evaluated once already; a part that now throws only
        // leaves the reason general.
    }
    return "The value of \"" + statement + "\" is not a number: " + reason + ".";
}

// The formula's message for where it failed. A missing operand at the end
// of the text quotes nothing after "at: "; the statement says where that is.
std::string SyntaxMessage(const std::string& statement, const Formula& formula) {
    std::string message = formula.GetMessage();
    const std::string atNothing = "at: \n";
    if (message.size() >= atNothing.size() &&
        message.compare(message.size() - atNothing.size(), atNothing.size(), atNothing) == 0) {
        message.pop_back();
        message += "the end of \"" + statement + "\"\n";
    }
    return message;
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
        if (formula.GetError() != Formula::kValid) return {0.0, SyntaxMessage(statement, formula)};
        const double value = formula.Evaluate();
        if (formula.GetError() > 0) return {0.0, formula.GetMessage()};
        if (std::isnan(value)) return {0.0, NotANumberMessage(statement, formula)};
        outcome.value = value;
        if (!name.empty()) variables.Set(name, value);
    }
    return outcome;
}

// ------------------------------------------------------------ the window

namespace {

constexpr const char* kCaption = "Quorix";
// An expression file is typed text; a larger file is no expression, and
// reading it into the edit froze the window for minutes (100 MB).
constexpr qint64 kLargestExpressionFile = qint64{1} << 20;

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
    // The window is "Calculator"; the file it holds, once there is one,
    // follows after a dash.
    setWindowTitle(path_.isEmpty() ? QStringLiteral("Calculator")
                                   : QStringLiteral("Calculator - ") + path_);
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
            // A value that could not be had shows none: a 0 would read as
            // the result.
            result_->clear();
            platform::ShowMessage(this, ToWideString(outcome.message),
                                  QString::fromLatin1(kCaption), platform::MessageIcon::Warning);
        } else {
            result_->setText(QString::asprintf("%.15g", outcome.value));
        }
    }
    calculate_->setEnabled(true);
}

void CCalculator::OnNew() {
    SetPath(QString());
    crlf_ = false;
    input_->clear();
    result_->clear();
}

void CCalculator::OnLoad() {
    const auto chosen = platform::FileDialogs().OpenFileName(
        this, ExpressionRequest(QStringLiteral("Choose expression"), modelsFolder_, QString()));
    if (!chosen || chosen->isEmpty()) return;
    auto refuse = [&](const QString& text) {
        platform::ShowMessage(this, text, QString::fromLatin1(kCaption),
                              platform::MessageIcon::Warning);
    };
    // Only a regular file, and no more than the limit and one byte of it, so
    // that neither a huge file nor an endless one (a device, a FIFO) is read.
    QByteArray bytes;
    QString reason;
    switch (platform::ReadFileLimited(*chosen, kLargestExpressionFile, &bytes, &reason)) {
        case platform::FileRead::kRead:
            break;
        case platform::FileRead::kTooLarge:
            refuse(QStringLiteral("The file is too large for an expression:\n") + *chosen +
                   QStringLiteral("\n\nThe calculator reads files of at most 1 MiB."));
            return;
        case platform::FileRead::kRefused:
            refuse(QStringLiteral("The file could not be read:\n") + *chosen + "\n\n" + reason);
            return;
    }
    // Every byte is one character of the same code (Latin-1). Lines that
    // all end in CR LF are shown as lines and saved with CR LF again.
    QString text = QString::fromLatin1(bytes);
    const bool crlf = text.contains(QStringLiteral("\r\n")) &&
                      text.count(QLatin1Char('\n')) == text.count(QStringLiteral("\r\n"));
    if (crlf) text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    // The edit keeps most characters but not all (a NUL, a CR alone, some
    // separators); a file it would change is not loaded, so that saving it
    // again cannot lose what was there.
    const QString previous = EditText();
    input_->setPlainText(text);
    const QString shown = EditText();
    if (shown != text) {
        input_->setPlainText(previous);
        qsizetype at = 0;
        while (at < shown.size() && at < text.size() && shown[at] == text[at]) ++at;
        const int code = at < text.size() ? text[at].unicode() : 0;
        refuse(QStringLiteral("The file holds a character the calculator cannot keep\n"
                              "(code %1 near character %2), so it was not loaded:\n")
                   .arg(code)
                   .arg(at + 1) +
               *chosen);
        return;
    }
    crlf_ = crlf;
    SetPath(*chosen);
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

QString CCalculator::EditText() const {
    // The document's own characters: its plain text would give a no-break
    // space (A0) back as a space.
    QString text = input_->document()->toRawText();
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    return text;
}

bool CCalculator::WriteFile(const QString& path) {
    QString text = EditText();
    // An expression file is 8-bit text, one byte per character: a character
    // beyond Latin-1 has no byte, and is refused rather than replaced.
    for (const QChar c : text) {
        if (c.unicode() > 0xFF) {
            const QString code =
                QString::number(c.unicode(), 16).toUpper().rightJustified(4, QLatin1Char('0'));
            platform::ShowMessage(
                this,
                QStringLiteral("The expression holds the character \"%1\" (U+%2), which an "
                               "expression file\ncannot hold: it keeps Latin-1 characters only.\n"
                               "Nothing was written to\n%3")
                    .arg(c, code, path),
                QString::fromLatin1(kCaption), platform::MessageIcon::Warning);
            return false;
        }
    }
    if (crlf_) text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    QString error;
    if (!platform::SaveFileAtomically(path, text.toLatin1(), &error)) {
        platform::ShowMessage(
            this, QStringLiteral("The file could not be written:\n") + path + "\n\n" + error,
            QString::fromLatin1(kCaption), platform::MessageIcon::Warning);
        return false;
    }
    return true;
}
