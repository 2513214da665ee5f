#include "app/results/protocol_view.h"

#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextDocument>

#include "analysis/protocol.h"
#include "app/results/protocol_entry.h"
#include "platform/full_disk_test_support.h"
#include "platform/scripted_dialogs.h"
#include "platform/widget_test_main.h"

namespace {

using platform::MessageAnswer;
using platform::ScriptedDialogs;

ProtocolRecord Record(int variant) {
    ProtocolRecord record;
    record.familyName = variant == 2 ? "$\\chi^2$ tests" : "t tests";
    record.testName = variant == 1 ? "Correlation: Point biserial model {x} \\ y"
                                   : "Means: Difference from constant (one sample case)";
    record.analysisText = "Post hoc: Compute achieved power ";
    record.methodText = variant == 1 ? "Exact distribution" : "";
    record.inputLines = {"Tail(s)\t=\tTwo", "Effect size $\\rho$\t=\t0.3" + std::to_string(variant),
                         "$\\alpha$ err prob\t=\t0.05"};
    record.outputLines = {"Noncentrality parameter $\\delta$\t=\t2.738613",
                          "Critical t\t=\t1.671093", "Df\t=\t58",
                          "Power (1-$\\beta$ err prob)\t=\t0.783" + std::to_string(variant)};
    return record;
}

std::tm Stamp(int minute) {
    std::tm when{};
    when.tm_year = 2026 - 1900;
    when.tm_mon = 11;  // December
    when.tm_mday = 10;
    when.tm_wday = 4;  // Thursday
    when.tm_hour = 3;
    when.tm_min = minute;
    when.tm_sec = 7;
    return when;
}

class ProtocolViewTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(view.Create(nullptr, QPoint(0, 0), kFormVisible)); }

    QTextDocument* Document() const { return view.Edit()->document(); }
    QString Text() const { return Document()->toPlainText(); }
    QTextCharFormat FormatAt(const QString& what) const {
        const int at = static_cast<int>(Text().indexOf(what));
        EXPECT_GE(at, 0) << what.toStdString();
        QTextCursor cursor(Document());
        cursor.setPosition(at + 1);
        return cursor.charFormat();
    }

    CProtocolView view;
};

TEST_F(ProtocolViewTest, EntriesAreNumberedSeparatedAndFormatted) {
    view.AddRecord(Record(0), Stamp(1));
    view.AddRecord(Record(1), Stamp(2));
    const QString text = Text();
    // The first entry starts at the top; the second after one empty line.
    EXPECT_TRUE(text.startsWith(
        QStringLiteral("[1] -- Thursday, December 10, 2026 -- 03:01:07\n"
                       "t tests - Means: Difference from constant (one sample case)\n"
                       "Analysis:\tPost hoc: Compute achieved power \n"
                       "Input:\tTail(s)\t=\tTwo\n")))
        << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral(
        u"Power (1-β err prob)\t=\t0.7830\n\n[2] -- Thursday, December 10, 2026 -- 03:02:07\n")));
    // Only the record with a method text has an options line.
    EXPECT_EQ(text.count(QStringLiteral("Options:\t")), 1);
    EXPECT_TRUE(text.contains(QStringLiteral("Options:\tExact distribution\n")));
    EXPECT_TRUE(text.contains(QStringLiteral(u"\tα err prob\t=\t0.05\n")));
    EXPECT_EQ(view.EntryCount(), 2);

    const QColor blue(0, 0, 255);
    const struct {
        QString at;
        bool bold;
        bool italic;
        QColor colour;
    } formats[] = {
        {QStringLiteral("[2]"), false, false, blue},
        {QStringLiteral("Thursday"), false, true, blue},
        {QStringLiteral("t tests - "), true, false, Qt::black},
        {QStringLiteral("Means:"), false, false, Qt::black},
        {QStringLiteral("Options:"), true, false, Qt::black},
        {QStringLiteral("Input:"), true, false, Qt::black},
        {QStringLiteral("Tail(s)"), false, false, Qt::black},
        {QStringLiteral("Output:"), true, false, Qt::black},
    };
    for (const auto& f : formats) {
        const QTextCharFormat format = FormatAt(f.at);
        EXPECT_EQ(format.fontWeight() >= QFont::Bold, f.bold) << f.at.toStdString();
        EXPECT_EQ(format.fontItalic(), f.italic) << f.at.toStdString();
        EXPECT_EQ(format.foreground().color(), f.colour) << f.at.toStdString();
    }
}

// The tab stops line labels of different lengths up: every "=" and every
// value of the input and output lines starts at the same place.
TEST_F(ProtocolViewTest, TabStopsAlignTheValues) {
    view.AddRecord(Record(0), Stamp(1));
    view.AddRecord(Record(1), Stamp(2));
    std::vector<int> equals;
    std::vector<int> values;
    for (QTextBlock block = Document()->begin(); block.isValid(); block = block.next()) {
        const int at = static_cast<int>(block.text().indexOf(QStringLiteral("\t=\t")));
        if (at < 0) continue;
        const QTextLine line = block.layout()->lineAt(0);
        equals.push_back(qRound(line.cursorToX(at + 1)));
        values.push_back(qRound(line.cursorToX(at + 3)));
    }
    ASSERT_EQ(equals.size(), 14u);
    for (size_t i = 1; i < equals.size(); ++i) {
        EXPECT_EQ(equals[i], equals[0]);
        EXPECT_EQ(values[i], values[0]);
    }
    // The third and fourth stops: 7 and 7.5 cm at 96 pixels per inch.
    EXPECT_EQ(equals[0], qRound(3969 / 15.0));
    EXPECT_EQ(values[0], qRound(4252 / 15.0));
}

TEST_F(ProtocolViewTest, ANewEntryIsScrolledToTheTop) {
    // A window lower than an entry, so that every entry can reach the top.
    view.Edit()->resize(view.Edit()->width(), 80);
    for (int i = 0; i < 12; ++i) view.AddRecord(Record(i % 3), Stamp(i));
    QScrollBar* bar = view.Edit()->verticalScrollBar();
    ASSERT_GT(bar->maximum(), 0);
    const QTextCursor top = view.Edit()->cursorForPosition(QPoint(2, 2));
    EXPECT_TRUE(top.block().text().startsWith(QStringLiteral("[12] -- ")))
        << top.block().text().toStdString();
}

TEST_F(ProtocolViewTest, ClearAsksWithNoAsDefaultAndRestartsTheNumbering) {
    ScriptedDialogs dialogs;
    view.OnClear();  // empty: nothing to ask
    EXPECT_TRUE(dialogs.messages.empty());

    view.AddRecord(Record(0), Stamp(1));
    view.AddRecord(Record(1), Stamp(2));
    const QString before = Text();
    dialogs.QueueMessageAnswer(MessageAnswer::No);
    view.OnClear();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text,
              "Do you really want to clear all entries in the protocol window?");
    EXPECT_EQ(dialogs.messages[0].icon, platform::MessageIcon::Question);
    EXPECT_EQ(dialogs.messages[0].buttons, platform::MessageButtons::YesNoDefaultNo);
    EXPECT_EQ(Text(), before);
    view.AddRecord(Record(2), Stamp(3));
    EXPECT_TRUE(Text().contains(QStringLiteral("\n\n[3] -- ")));

    dialogs.QueueMessageAnswer(MessageAnswer::Yes);
    view.OnClear();
    EXPECT_TRUE(view.IsEmpty());
    view.AddRecord(Record(0), Stamp(4));
    EXPECT_TRUE(Text().startsWith(QStringLiteral("[1] -- Thursday")));
    // The tab stops survive the clearing.
    const QTextBlock input = Document()->findBlockByNumber(3);
    ASSERT_TRUE(input.text().startsWith(QStringLiteral("Input:")));
    EXPECT_EQ(input.blockFormat().tabPositions().size(), 4);
}

TEST_F(ProtocolViewTest, ControlKeysSelectAllAndCopy) {
    view.AddRecord(Record(0), Stamp(1));
    QKeyEvent selectAll(QEvent::KeyRelease, Qt::Key_A, Qt::ControlModifier);
    QApplication::sendEvent(view.Edit(), &selectAll);
    EXPECT_EQ(view.Edit()->textCursor().selectedText().size(), Text().size());
    QApplication::clipboard()->clear();
    QKeyEvent copy(QEvent::KeyRelease, Qt::Key_C, Qt::ControlModifier);
    QApplication::sendEvent(view.Edit(), &copy);
    EXPECT_TRUE(QApplication::clipboard()->text().startsWith(QStringLiteral("[1] -- Thursday")));
}

// Reads a rich text file back with an independent reader and returns its
// plain text.
QString ReadBackRtf(const QString& path) {
    QProcess unrtf;
    unrtf.start(QStringLiteral("unrtf"), {QStringLiteral("--html"), path});
    if (!unrtf.waitForFinished(20000) || unrtf.exitCode() != 0) return QStringLiteral("<failed>");
    QTextDocument html;
    html.setHtml(QString::fromUtf8(unrtf.readAllStandardOutput()));
    return html.toPlainText();
}

TEST_F(ProtocolViewTest, SavedRichTextReadsBackWithEveryNumberAndLetter) {
    for (int i = 0; i < 3; ++i) view.AddRecord(Record(i), Stamp(i));
    QTemporaryDir dir;
    const QString path = dir.filePath("protocol.rtf");
    ScriptedDialogs dialogs;
    dialogs.QueueFileAnswer(path);
    view.OnSave();
    ASSERT_EQ(dialogs.fileQuestions.size(), 1u);
    EXPECT_TRUE(dialogs.fileQuestions[0].save);
    EXPECT_EQ(dialogs.fileQuestions[0].request.title, "Name of protocol file");
    EXPECT_EQ(dialogs.fileQuestions[0].request.defaultSuffix, "rtf");
    EXPECT_TRUE(dialogs.messages.empty());

    const QString back = ReadBackRtf(path);
    // Every number of the protocol, each as often as it is shown.
    static const QRegularExpression number(QStringLiteral("\\d+(\\.\\d+)?"));
    QStringList shown;
    QStringList read;
    for (auto it = number.globalMatch(Text()); it.hasNext();) shown << it.next().captured();
    for (auto it = number.globalMatch(back); it.hasNext();) read << it.next().captured();
    EXPECT_EQ(read, shown);
    EXPECT_GT(shown.size(), 30);
    for (const char16_t* letter : {u"α", u"β", u"δ", u"ρ", u"χ²"}) {
        const QString l = QString::fromUtf16(letter);
        EXPECT_EQ(back.count(l), Text().count(l)) << l.toStdString();
    }
    EXPECT_TRUE(back.contains(QStringLiteral("Point biserial model {x} \\ y")));
    EXPECT_TRUE(back.contains(QStringLiteral("[3] -- Thursday, December 10, 2026 -- 03:02:07")));
}

TEST_F(ProtocolViewTest, ASaveThatFailsIsReportedAndACancelWritesNothing) {
    view.AddRecord(Record(0), Stamp(1));
    QTemporaryDir dir;
    ScriptedDialogs dialogs;
    view.OnSave();  // cancelled
    EXPECT_TRUE(QDir(dir.path()).isEmpty());
    EXPECT_TRUE(dialogs.messages.empty());

    const QString path = dir.filePath("missing folder/protocol.rtf");
    dialogs.QueueFileAnswer(path);
    view.OnSave();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(dialogs.messages[0].text.startsWith(
        QStringLiteral("The protocol could not be saved as\n") + path + "\n\n"));
    EXPECT_EQ(dialogs.messages[0].icon, platform::MessageIcon::Warning);
    EXPECT_FALSE(QFile::exists(path));
}

// Saving over an earlier protocol on a full disk: reported, and the earlier
// file is left byte for byte (it became 0 bytes).
TEST_F(ProtocolViewTest, ASaveOnAFullDiskKeepsTheEarlierFile) {
    for (int i = 0; i < 5; ++i) view.AddRecord(Record(i % 2), Stamp(i));
    QTemporaryDir dir;
    ScriptedDialogs dialogs;
    const QString path = dir.filePath("protocol.rtf");
    const QByteArray earlier(30000, 'p');
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(earlier);
    }
    dialogs.QueueFileAnswer(path);
    platform::WithDiskFullAfter(256, [&] { view.OnSave(); });
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(dialogs.messages[0].text.endsWith("could not be written: File too large"))
        << dialogs.messages[0].text.toStdString();
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), earlier);
}

struct PdfWord {
    int page;
    double xMin, yMin, xMax, yMax;
    QString text;
};

// The words of a PDF with their boxes in points, and the page size.
std::vector<PdfWord> PdfWords(const QString& path, QSizeF* pageSize) {
    QProcess pdftotext;
    pdftotext.start(QStringLiteral("pdftotext"),
                    {QStringLiteral("-bbox"), path, QStringLiteral("-")});
    std::vector<PdfWord> words;
    if (!pdftotext.waitForFinished(20000)) return words;
    const QString html = QString::fromUtf8(pdftotext.readAllStandardOutput());
    static const QRegularExpression page(
        QStringLiteral("<page width=\"([\\d.]+)\" height=\"([\\d.]+)\">"));
    static const QRegularExpression word(
        QStringLiteral("<word xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\" xMax=\"([\\d.]+)\" "
                       "yMax=\"([\\d.]+)\">([^<]*)</word>"));
    int pageNumber = 0;
    for (const QString& line : html.split(QLatin1Char('\n'))) {
        if (const auto m = page.match(line); m.hasMatch()) {
            ++pageNumber;
            *pageSize = QSizeF(m.captured(1).toDouble(), m.captured(2).toDouble());
        } else if (const auto w = word.match(line); w.hasMatch()) {
            words.push_back({pageNumber, w.captured(1).toDouble(), w.captured(2).toDouble(),
                             w.captured(3).toDouble(), w.captured(4).toDouble(), w.captured(5)});
        }
    }
    return words;
}

void PrintToPdf(ScriptedDialogs* dialogs, const QString& path, bool selection) {
    dialogs->QueuePrintAnswer(true);
    dialogs->printerSetup = [path, selection](QPrinter* printer) {
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setOutputFileName(path);
        printer->setPageSize(QPageSize(QPageSize::A4));
        if (selection) printer->setPrintRange(QPrinter::Selection);
    };
}

TEST_F(ProtocolViewTest, PrintsEveryEntryOnSeveralPagesWithin25mmMargins) {
    constexpr int kEntries = 25;
    for (int i = 0; i < kEntries; ++i) view.AddRecord(Record(i % 3), Stamp(i));
    QTemporaryDir dir;
    const QString path = dir.filePath("protocol.pdf");
    ScriptedDialogs dialogs;
    PrintToPdf(&dialogs, path, false);
    view.OnPrint();
    EXPECT_EQ(dialogs.printQuestions, 1);

    QSizeF paper;
    const std::vector<PdfWord> words = PdfWords(path, &paper);
    ASSERT_FALSE(words.empty());
    EXPECT_NEAR(paper.width(), 595.3, 0.5);  // A4
    const double margin = 1417 / 20.0;       // points
    const int pages = words.back().page;
    EXPECT_GE(pages, 3);
    std::vector<double> left(pages + 1, 1e9), top(pages + 1, 1e9);
    QString text;
    for (const PdfWord& w : words) {
        EXPECT_GE(w.xMin, margin - 0.5) << w.text.toStdString();
        EXPECT_GE(w.yMin, margin - 0.5) << w.text.toStdString();
        EXPECT_LE(w.xMax, paper.width() - margin + 0.5) << w.text.toStdString();
        // A word's box is the font's, a little deeper than the line's.
        EXPECT_LE(w.yMax, paper.height() - margin + 2.5) << w.text.toStdString();
        left[w.page] = std::min(left[w.page], w.xMin);
        top[w.page] = std::min(top[w.page], w.yMin);
        text += w.text + QLatin1Char(' ');
    }
    // Each page's text starts at its margins, not somewhere below them.
    for (int p = 1; p <= pages; ++p) {
        EXPECT_LT(left[p], margin + 2) << "page " << p;
        EXPECT_LT(top[p], margin + 4) << "page " << p;
    }
    // Nothing is lost between pages.
    for (int i = 1; i <= kEntries; ++i)
        EXPECT_TRUE(text.contains(QStringLiteral("[%1]").arg(i))) << i;
    EXPECT_EQ(text.count(QStringLiteral("Output:")), kEntries);
}

TEST_F(ProtocolViewTest, PrintsTheSelectionWhenChosenAndNothingWhenCancelled) {
    view.AddRecord(Record(0), Stamp(1));
    view.AddRecord(Record(1), Stamp(2));
    QTextCursor cursor(Document());
    cursor.setPosition(static_cast<int>(Text().indexOf(QStringLiteral("[2]"))));
    cursor.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
    view.Edit()->setTextCursor(cursor);

    QTemporaryDir dir;
    const QString path = dir.filePath("selection.pdf");
    ScriptedDialogs dialogs;
    PrintToPdf(&dialogs, path, true);
    view.OnPrint();
    QSizeF paper;
    QString text;
    for (const PdfWord& w : PdfWords(path, &paper)) text += w.text + QLatin1Char(' ');
    EXPECT_TRUE(text.contains(QStringLiteral("[2]")));
    EXPECT_FALSE(text.contains(QStringLiteral("[1]")));

    testing::internal::CaptureStdout();
    view.OnPrint();  // the dialog is cancelled
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Failure\n");
    EXPECT_EQ(dialogs.printQuestions, 2);
}

}  // namespace
