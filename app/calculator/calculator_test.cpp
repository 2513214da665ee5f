#include "app/calculator/calculator.h"

#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <chrono>
#include <cmath>

#include "app/compute/numerics_claim.h"
#include "distributions/work_time_test_support.h"
#include "platform/full_disk_test_support.h"
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
        // A missing operand at the end says where that is.
        {"2*(3+", "Syntax error: Missing operand at: the end of \"2*(3+\"\n"},
        {"a = 1\nb = a -", "Syntax error: Missing operand at: the end of \"b = a -\"\n"},
        {"2*+3", "Syntax error: Missing operand at: 3\n"},
        // A value that is not a number says why, naming the part it arose in.
        {"sqrt(-1)",
         "The value of \"sqrt(-1)\" is not a number: sqrt(-1) is outside the domain of the "
         "function sqrt."},
        {"x = 2; y = 3*log(1-x)",
         "The value of \"y = 3*log(1-x)\" is not a number: log((1-x)) is outside the domain of "
         "the function log."},
        {"z = 0; 1 + z/z", "The value of \"1 + z/z\" is not a number: (z/z) has no value."},
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
    EXPECT_EQ(calc.ResultEdit()->text(), "");  // no result, not a 0 that reads as one
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
    EXPECT_EQ(calc.windowTitle(), "Calculator");

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
    EXPECT_EQ(calc.windowTitle(), "Calculator");
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
    EXPECT_EQ(calc.windowTitle(), "Calculator");
    EXPECT_EQ(calc.InputEdit()->toPlainText(), "1");

    // Save As to an unwritable place: reported, and the title names no file.
    dialogs.QueueFileAnswer(missing);
    calc.OnSaveAs();
    ASSERT_EQ(dialogs.messages.size(), 2u);
    EXPECT_TRUE(dialogs.messages[1].text.contains(missing));
    EXPECT_EQ(calc.FilePath(), "");
    EXPECT_EQ(calc.windowTitle(), "Calculator");

    // A cancelled dialog changes nothing and says nothing.
    calc.OnLoad();
    EXPECT_EQ(dialogs.messages.size(), 2u);
}

// The File menu's command with this text, as the user chooses it.
void Choose(CCalculator& calc, const QString& text) {
    for (QAction* action : calc.findChild<QMenuBar*>()->actions()) {
        if (!action->menu()) continue;
        for (QAction* item : action->menu()->actions()) {
            if (item->text() == text) {
                item->trigger();
                return;
            }
        }
    }
    ADD_FAILURE() << "no menu command " << text.toStdString();
}

QByteArray Bytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void Write(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

// An expression file is 8-bit text with one character per byte: loaded and
// saved again through the File menu, every byte comes back as it was (a
// Latin-1 file lost each byte above 0x7F to EF BF BD), and lines that end in
// CR LF keep them.
TEST(CCalculator, LoadAndSaveKeepEveryByteOfTheFile) {
    QByteArray latin1 = "x = 2 # caf\xE9, 5\xB0, \xA9 \xFF\n";
    for (int b = 0xA0; b <= 0xFF; ++b) latin1 += static_cast<char>(b);
    latin1 += "\nx*3";
    const QByteArray files[] = {latin1, "a = 1\r\nb = a + 1\r\nb*2\r\n", "1+1",
                                QByteArray("1+\0"
                                           "2",
                                           4)};
    for (const QByteArray& bytes : files) {
        QTemporaryDir dir;
        platform::ScriptedDialogs dialogs;
        CCalculator calc(dir.path());
        const QString path = dir.filePath("expression.txt");
        Write(path, bytes);
        dialogs.QueueFileAnswer(path);
        Choose(calc, "&Load ...");
        ASSERT_TRUE(dialogs.messages.empty()) << dialogs.messages[0].text.toStdString();
        EXPECT_EQ(calc.FilePath(), path);
        QFile::remove(path);
        Choose(calc, "&Save ...");
        EXPECT_TRUE(dialogs.messages.empty());
        EXPECT_EQ(Bytes(path), bytes);
    }
    // What the edit shows of the Latin-1 file.
    QTemporaryDir dir;
    platform::ScriptedDialogs dialogs;
    CCalculator calc(dir.path());
    Write(dir.filePath("e.txt"), "\xE9\xB0");
    dialogs.QueueFileAnswer(dir.filePath("e.txt"));
    Choose(calc, "&Load ...");
    EXPECT_EQ(calc.InputEdit()->toPlainText(), QString::fromUtf8("\xC3\xA9\xC2\xB0"));  // "é°"
}

// What an expression file cannot hold is refused with a message, and the
// file that was there stays as it was: a character beyond Latin-1 when
// saving; a file the edit would change (a CR alone) or one far
// too large when loading, which leaves the calculator as it was.
TEST(CCalculator, WhatCannotBeKeptIsRefused) {
    QTemporaryDir dir;
    platform::ScriptedDialogs dialogs;
    CCalculator calc(dir.path());
    const QString path = dir.filePath("kept.txt");
    Write(path, "1+1");

    calc.InputEdit()->setPlainText(QString::fromUtf8("x = 3 # \xE2\x82\xAC"));  // the euro sign
    dialogs.QueueFileAnswer(path);
    Choose(calc, "Save As ...");
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text,
              QString::fromUtf8("The expression holds the character \"\xE2\x82\xAC\" (U+20AC), "
                                "which an expression file\ncannot hold: it keeps Latin-1 "
                                "characters only.\nNothing was written to\n") +
                  path);
    EXPECT_EQ(Bytes(path), "1+1");
    EXPECT_EQ(calc.FilePath(), "");

    calc.InputEdit()->setPlainText("2*2");
    struct Refused {
        const char* name;
        QByteArray bytes;
        QString message;
    };
    const QString bad = dir.filePath("bad.txt");
    const Refused refused[] = {
        {"CR alone", "1\r2",
         "The file holds a character the calculator cannot keep\n(code 13 near character 2), so "
         "it was not loaded:\n" +
             bad},
        {"too large", QByteArray((1 << 20) + 1, '1'),
         "The file is too large for an expression:\n" + bad +
             "\n\nThe calculator reads files of at most 1 MiB."},
    };
    for (const Refused& r : refused) {
        Write(bad, r.bytes);
        dialogs.messages.clear();
        dialogs.QueueFileAnswer(bad);
        const auto start = ThreadCpuClock::now();
        Choose(calc, "&Load ...");
        EXPECT_LT(std::chrono::duration<double>(ThreadCpuClock::now() - start).count(), 1.0)
            << r.name;
        ASSERT_EQ(dialogs.messages.size(), 1u) << r.name;
        EXPECT_EQ(dialogs.messages[0].text, r.message) << r.name;
        EXPECT_EQ(calc.InputEdit()->toPlainText(), "2*2") << r.name;
        EXPECT_EQ(calc.FilePath(), "") << r.name;
    }
    // A FIFO with no writer would block the window if it were opened to be read.
    const QString fifo = dir.filePath("fifo.txt");
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    dialogs.messages.clear();
    dialogs.QueueFileAnswer(fifo);
    Choose(calc, "&Load ...");
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text,
              "The file could not be read:\n" + fifo + "\n\nIt is not a regular file.");
    EXPECT_EQ(calc.InputEdit()->toPlainText(), "2*2");
}

// Save on a full disk: reported with the file's name and the reason, and
// the earlier file is left byte for byte (it was cut to 4 KiB).
TEST(CCalculator, SaveOnAFullDiskKeepsTheEarlierFile) {
    QTemporaryDir dir;
    platform::ScriptedDialogs dialogs;
    CCalculator calc(dir.path());
    const QString path = dir.filePath("long.txt");
    QByteArray earlier;
    for (int i = 0; i < 2000; ++i) earlier += "x = " + QByteArray::number(i) + "\n";
    Write(path, earlier);
    dialogs.QueueFileAnswer(path);
    Choose(calc, "&Load ...");
    calc.InputEdit()->setPlainText(calc.InputEdit()->toPlainText() + "y = 1\n");
    platform::WithDiskFullAfter(4096, [&] { Choose(calc, "&Save ..."); });
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, "The file could not be written:\n" + path + "\n\n\"" +
                                            path + "\" could not be written: File too large");
    EXPECT_EQ(Bytes(path), earlier);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"long.txt"});
}

}  // namespace
