#include "app/calculator/calculator.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <cmath>

#include "app/frame/numerics_claim.h"
#include "platform/scripted_dialogs.h"
#include "platform/widget_test_main.h"

namespace {

TEST(EvaluateCalculatorText, StatementsVariablesAndComments) {
    struct Case {
        const char* text;
        double value;
    } cases[] = {
        {"a = 2; b = a*3; b+1", 7},
        {"x = 1 # note\nx*2", 2},
        {"x = 1 # note; x = 5\r\nx*2", 2},  // a ';' inside a comment ends nothing
        {"a=1\n a = a+1 ;\n\n a*10;", 20},  // reassignment, blank lines, trailing ';'
        {"", 0},
        {"  # only a comment\n ; ;", 0},
        {"longName = 4\nlongName^2", 16},
        {"2*(3+1)", 8},
        {"v = 3\n", 3},  // an assignment's value is the result
    };
    for (const Case& c : cases) {
        const CalculatorOutcome outcome = EvaluateCalculatorText(c.text);
        EXPECT_EQ(outcome.message, "") << c.text;
        EXPECT_DOUBLE_EQ(outcome.value, c.value) << c.text;
    }
}

TEST(EvaluateCalculatorText, ErrorsStopWithTheirMessageAndResultZero) {
    struct Case {
        const char* text;
        const char* message;
    } cases[] = {
        {"a b = 3", "Error in expr: a b = 3"},
        {"a = = 3", "Error in expr: a = = 3"},
        {"x = 1; = 3; x", "Error in expr: = 3"},
        {"a = ", "Error in expr: a ="},
        {"a = 1 = 2", "Error in expr: a = 1 = 2"},
        // Names are case-sensitive and forgotten between evaluations.
        {"A = 1; a", "Syntax error: Unknown Variable a\n"},
        {"y + 1", "Syntax error: Unknown Variable y\n"},
        {"a = 5; (a+1", "Syntax error: Unbalanced parentheses\n"},
    };
    for (const Case& c : cases) {
        const CalculatorOutcome outcome = EvaluateCalculatorText(c.text);
        EXPECT_EQ(outcome.message, c.message) << c.text;
        EXPECT_EQ(outcome.value, 0.0) << c.text;
    }
}

TEST(CalculatorVariables, ManyNamesKeepTheirValues) {
    // Enough names to make the tree rebalance several times.
    CalculatorVariables variables;
    for (int i = 0; i < 200; ++i) ASSERT_TRUE(variables.Set("v" + std::to_string(i), i));
    ASSERT_TRUE(variables.Set("v7", -1));
    for (int i = 0; i < 200; ++i) {
        const VariableRecord* record = variables.Find(("v" + std::to_string(i)).c_str());
        ASSERT_NE(record, nullptr);
        EXPECT_EQ(record->value, i == 7 ? -1 : i);
    }
    EXPECT_EQ(variables.Find("V7"), nullptr);
}

bool WaitForResult(CCalculator& calc) {
    return widget_test::RunEventsUntil(
        [&] { return !calc.EvaluationRunning() && calc.CalculateButton()->isEnabled(); }, 10000);
}

TEST(CCalculator, EvaluatesOnAWorkerAndShowsFifteenDigits) {
    platform::ScriptedDialogs dialogs;
    CCalculator calc(QDir::tempPath());
    calc.InputEdit()->setPlainText("x = 2\nsqrt(x)");
    calc.OnCalculate();
    EXPECT_FALSE(calc.CalculateButton()->isEnabled());
    ASSERT_TRUE(WaitForResult(calc));
    EXPECT_EQ(calc.ResultEdit()->text(), "1.4142135623731");
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_FALSE(NumericsClaim::InUse());

    calc.InputEdit()->setPlainText("a b = 3");
    calc.OnCalculate();
    ASSERT_TRUE(WaitForResult(calc));
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, "Error in expr: a b = 3");
    EXPECT_EQ(calc.ResultEdit()->text(), "0");
}

TEST(CCalculator, WaitsForAMainWindowCalculation) {
    platform::ScriptedDialogs dialogs;
    CCalculator calc(QDir::tempPath());
    calc.InputEdit()->setPlainText("1+1");
    {
        NumericsClaim mainWindow;
        ASSERT_TRUE(mainWindow.Held());
        calc.OnCalculate();
        EXPECT_FALSE(calc.EvaluationRunning());
        EXPECT_TRUE(calc.CalculateButton()->isEnabled());
        ASSERT_EQ(dialogs.messages.size(), 1u);
        EXPECT_EQ(calc.ResultEdit()->text(), "");
    }
    calc.OnCalculate();
    EXPECT_TRUE(NumericsClaim::InUse());  // held while the evaluation runs
    NumericsClaim mainWindowMeanwhile;
    EXPECT_FALSE(mainWindowMeanwhile.Held());
    ASSERT_TRUE(WaitForResult(calc));
    EXPECT_EQ(calc.ResultEdit()->text(), "2");
    EXPECT_FALSE(NumericsClaim::InUse());
}

TEST(CCalculator, SaveAsksForANameFirstThenLoadReadsTheTextBack) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    platform::ScriptedDialogs dialogs;
    CCalculator calc(dir.path());
    EXPECT_EQ(calc.windowTitle(), "Calculator - ");

    const QString text = "a = 2 # two\r\nb = a*3;b+1";
    calc.InputEdit()->setPlainText(text);
    const QString path = dir.filePath("m.txt");
    dialogs.QueueFileAnswer(path);
    calc.OnSave();
    ASSERT_EQ(dialogs.fileQuestions.size(), 1u);
    EXPECT_TRUE(dialogs.fileQuestions[0].save);
    EXPECT_EQ(dialogs.fileQuestions[0].request.title, "Choose filename for expression");
    EXPECT_EQ(dialogs.fileQuestions[0].request.defaultSuffix, "txt");
    EXPECT_EQ(dialogs.fileQuestions[0].request.folder, dir.path());
    EXPECT_EQ(calc.windowTitle(), "Calculator - " + path);

    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), calc.InputEdit()->toPlainText().toUtf8());  // nothing added

    // A later save writes to the remembered file without asking.
    calc.InputEdit()->setPlainText("3*3");
    calc.OnSave();
    EXPECT_EQ(dialogs.fileQuestions.size(), 1u);

    calc.OnNew();
    EXPECT_EQ(calc.windowTitle(), "Calculator - ");
    EXPECT_EQ(calc.InputEdit()->toPlainText(), "");

    dialogs.QueueFileAnswer(path);
    calc.OnLoad();
    EXPECT_EQ(dialogs.fileQuestions[1].request.title, "Choose expression");
    EXPECT_FALSE(dialogs.fileQuestions[1].save);
    EXPECT_EQ(calc.InputEdit()->toPlainText(), "3*3");
    EXPECT_EQ(calc.windowTitle(), "Calculator - " + path);
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST(CCalculator, FilesThatCannotBeOpenedAreReported) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    platform::ScriptedDialogs dialogs;
    CCalculator calc(dir.path());
    calc.InputEdit()->setPlainText("1");

    const QString missing = dir.filePath("no/such/folder/x.txt");
    dialogs.QueueFileAnswer(missing);
    calc.OnLoad();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(dialogs.messages[0].text.contains(missing));
    EXPECT_EQ(calc.windowTitle(), "Calculator - ");
    EXPECT_EQ(calc.InputEdit()->toPlainText(), "1");

    // Save As to an unwritable place: reported, and the title names no file.
    dialogs.QueueFileAnswer(missing);
    calc.OnSaveAs();
    ASSERT_EQ(dialogs.messages.size(), 2u);
    EXPECT_TRUE(dialogs.messages[1].text.contains(missing));
    EXPECT_EQ(calc.FilePath(), "");
    EXPECT_EQ(calc.windowTitle(), "Calculator - ");

    // A cancelled dialog changes nothing and says nothing.
    calc.OnLoad();
    EXPECT_EQ(dialogs.messages.size(), 2u);
}

}  // namespace
