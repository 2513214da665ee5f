#include "ui/grid/grid_print.h"

#include <QPaintEngine>
#include <QPainter>
#include <QPrinter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <algorithm>

#include "platform/scripted_dialogs.h"
#include "platform/widget_test_main.h"
#include "ui/grid/grid_ctrl.h"
#include "ui/grid/grid_test_support.h"

namespace {

struct DrawnText {
    QString text;
    QPointF at;    // device pixels
    double right;  // where the text ends, device pixels
};

// A paint engine that keeps the texts drawn and where they landed.
class RecordingEngine : public QPaintEngine {
  public:
    RecordingEngine() : QPaintEngine(QPaintEngine::AllFeatures) {}
    bool begin(QPaintDevice*) override { return true; }
    bool end() override { return true; }
    void updateState(const QPaintEngineState& changed) override {
        if (changed.state() & QPaintEngine::DirtyTransform) transform_ = changed.transform();
    }
    void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
    void drawTextItem(const QPointF& p, const QTextItem& item) override {
        texts.push_back(
            {item.text(), transform_.map(p), transform_.map(p + QPointF(item.width(), 0)).x()});
    }
    Type type() const override { return QPaintEngine::User; }

    std::vector<DrawnText> texts;

  private:
    QTransform transform_;
};

// A letter-size page of a 600 dpi printer, seen through the recording engine.
class RecordingPrinter : public QPaintDevice {
  public:
    QPaintEngine* paintEngine() const override { return &engine; }
    mutable RecordingEngine engine;

  protected:
    int metric(PaintDeviceMetric m) const override {
        switch (m) {
            case PdmWidth:
                return 4800;
            case PdmHeight:
                return 6300;
            case PdmWidthMM:
                return 203;
            case PdmHeightMM:
                return 267;
            case PdmDpiX:
            case PdmDpiY:
            case PdmPhysicalDpiX:
            case PdmPhysicalDpiY:
                return 600;
            case PdmDepth:
                return 24;
            case PdmNumColors:
                return 1 << 24;
            case PdmDevicePixelRatio:
                return 1;
            case PdmDevicePixelRatioScaled:
                return static_cast<int>(devicePixelRatioFScale());
            default:
                return 0;
        }
    }
};

std::tm FixedClock() {
    std::tm t{};
    t.tm_year = 2026 - 1900;
    t.tm_mon = 11;
    t.tm_mday = 10;
    t.tm_wday = 4;
    t.tm_hour = 1;
    t.tm_min = 4;
    t.tm_sec = 53;
    return t;
}

// A grid with a heading row and a column of row labels in a window titled
// "Sample window".
class GridPrint : public ::testing::Test {
  protected:
    void SetUp() override {
        QCoreApplication::setApplicationName("Quorix");
        window.setWindowTitle("Sample window");
        grid = new CGridCtrl(0, 0, 0, 0, &window);
        ShapeGrid(*grid, 4, 3, 1, 1, 80, 20, 300, 100);
        grid->SetColumnWidth(0, 30);
        grid->SetItemText(0, 1, "Name");
        grid->SetItemText(0, 2, "Value");
        const char* names[] = {"alpha", "beta", "gamma"};
        for (int r = 1; r < 4; ++r) {
            grid->SetItemText(r, 0, QString::number(r));
            grid->SetItemText(r, 1, names[r - 1]);
            grid->SetItemText(r, 2, QString::number(r * 0.25));
        }
        grid->SetPrintClock(&FixedClock);
    }

    // Prints every page on the recording printer: the texts of each page.
    std::vector<std::vector<DrawnText>> PrintAll() {
        std::vector<std::vector<DrawnText>> pages;
        RecordingPrinter printer;
        QPainter painter(&printer);
        GridPrintInfo info;
        grid->OnBeginPrinting(&painter, &info);
        for (int page = 1; page <= info.maxPage; ++page) {
            printer.engine.texts.clear();
            info.currentPage = page;
            grid->OnPrint(&painter, &info);
            pages.push_back(printer.engine.texts);
        }
        grid->OnEndPrinting(&painter, &info);
        return pages;
    }

    QWidget window;
    CGridCtrl* grid = nullptr;
};

const DrawnText* Find(const std::vector<DrawnText>& texts, const QString& text) {
    const auto it = std::find_if(texts.begin(), texts.end(),
                                 [&](const DrawnText& t) { return t.text == text; });
    return it == texts.end() ? nullptr : &*it;
}

TEST_F(GridPrint, AGridThatFitsPrintsOnePageWithHeaderAndFooter) {
    const auto pages = PrintAll();
    ASSERT_EQ(pages.size(), 1u);
    const auto& texts = pages[0];
    for (const char* text : {"Sample window", "Quorix", "Name", "Value", "1", "3", "alpha", "gamma",
                             "0.75", "Page 1 of 1", "Thu Dec 10 01:04:53 2026"})
        EXPECT_NE(Find(texts, text), nullptr) << text;

    const DrawnText* title = Find(texts, "Sample window");
    const DrawnText* app = Find(texts, "Quorix");
    const DrawnText* heading = Find(texts, "Name");
    const DrawnText* first = Find(texts, "alpha");
    const DrawnText* last = Find(texts, "gamma");
    const DrawnText* page = Find(texts, "Page 1 of 1");
    const DrawnText* date = Find(texts, "Thu Dec 10 01:04:53 2026");
    ASSERT_TRUE(title && app && heading && first && last && page && date);
    // Header on top (title centred, application right), then headings, body
    // and the footer at the foot of the paper (page left, date right).
    EXPECT_DOUBLE_EQ(title->at.y(), app->at.y());
    EXPECT_NEAR((title->at.x() + title->right) / 2, 2400, 30);
    EXPECT_LT(title->right, app->at.x());
    EXPECT_LT(title->at.y(), heading->at.y());
    EXPECT_LT(heading->at.y(), first->at.y());
    EXPECT_LT(first->at.y(), last->at.y());
    EXPECT_LT(last->at.y(), page->at.y());
    EXPECT_GT(page->at.y(), 6300 * 0.9);
    EXPECT_DOUBLE_EQ(page->at.y(), date->at.y());
    EXPECT_LT(page->at.x(), 4800 * 0.15);
    EXPECT_NEAR(date->right, app->right, 30);
    EXPECT_GT(date->right, 4800 * 0.85);
    // The grid fills the paper's width: the row labels start near the left
    // margin (4 characters of about 5 logical units in about 270).
    EXPECT_LT(Find(texts, "1")->at.x(), 4800 * 0.15);
}

TEST_F(GridPrint, RowsThatDoNotFitStartANewPageAndATallRowGetsOneOfItsOwn) {
    grid->SetRowCount(6);
    for (int r = 1; r < 6; ++r) grid->SetItemText(r, 1, QStringLiteral("r%1").arg(r));
    RecordingPrinter printer;
    {
        QPainter painter(&printer);
        GridPrintInfo info;
        grid->OnBeginPrinting(&painter, &info);
        grid->OnEndPrinting(&painter, &info);
    }
    // The room for body rows depends on the widths and the headings only.
    const int room = grid->PrintPageHeight();
    ASSERT_GT(room, 100);
    struct Case {
        std::vector<int> heights;  // of rows 1 to 5
        std::vector<QStringList> pages;
    };
    const Case cases[] = {
        {{room / 2, room - room / 2, room / 2 + 1, room + 4, 10},
         {{"r1", "r2"}, {"r3"}, {"r4"}, {"r5"}}},
        {{room + 4, 10, 10, 10, 10}, {{"r1"}, {"r2", "r3", "r4", "r5"}}},
    };
    for (const Case& c : cases) {
        for (int r = 1; r < 6; ++r) grid->SetRowHeight(r, c.heights[static_cast<size_t>(r - 1)]);
        const auto pages = PrintAll();
        ASSERT_EQ(pages.size(), c.pages.size());
        for (size_t p = 0; p < pages.size(); ++p) {
            QStringList rows;
            for (const DrawnText& t : pages[p])
                if (t.text.startsWith('r')) rows << t.text;
            EXPECT_EQ(rows, c.pages[p]) << "page " << p + 1;
            const QString footer = QStringLiteral("Page %1 of %2").arg(p + 1).arg(pages.size());
            EXPECT_NE(Find(pages[p], footer), nullptr) << footer.toStdString();
            EXPECT_NE(Find(pages[p], "Name"), nullptr);  // the headings on every page
        }
    }
}

TEST_F(GridPrint, WysiwygPrintingSplitsWideGridsAcrossPages) {
    grid->SetWysiwygPrinting(true);
    grid->SetColumnCount(4);
    for (int c = 1; c < 4; ++c) {
        grid->SetColumnWidth(c, 200);
        grid->SetItemText(0, c, QStringLiteral("H%1").arg(c));
        grid->SetItemText(1, c, QStringLiteral("c%1").arg(c));
    }
    // The page keeps the screen's proportions: 3/4 of the paper's inches in
    // screen pixels, far less than the three wide columns.
    const auto pages = PrintAll();
    const int logicalWidth = grid->logicalDpiX() * 4800 / 600 * 3 / 4;
    ASSERT_LT(logicalWidth, 30 + 3 * 200);
    ASSERT_GT(logicalWidth, 30 + 2 * 200 + 60);
    ASSERT_EQ(pages.size(), 2u);
    const std::vector<QStringList> expected = {{"H1", "H2", "c1", "c2"}, {"H3", "c3"}};
    for (size_t p = 0; p < 2; ++p) {
        QStringList shown;
        for (const DrawnText& t : pages[p])
            if (t.text.startsWith('H') || t.text.startsWith('c')) shown << t.text;
        shown.sort();
        EXPECT_EQ(shown, expected[p]) << "page " << p + 1;
        EXPECT_NE(Find(pages[p], "1"), nullptr);  // the row labels on every page
    }
}

TEST_F(GridPrint, AGridWithoutBodyRowsPrintsHeaderAndHeadingsOnly) {
    grid->SetRowCount(1);
    const auto pages = PrintAll();
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_NE(Find(pages[0], "Sample window"), nullptr);
    EXPECT_NE(Find(pages[0], "Value"), nullptr);
    EXPECT_EQ(Find(pages[0], "Page 1 of 1"), nullptr);
}

TEST_F(GridPrint, APdfPrintOutShowsThePageAndTheClock) {
    const QString pdftotext = QStandardPaths::findExecutable("pdftotext");
    if (pdftotext.isEmpty()) GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString file = dir.filePath("grid.pdf");
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(file);

    platform::ScriptedDialogs dialogs;
    EXPECT_FALSE(PrintGrid(*grid, printer, &window));  // the dialog was cancelled
    EXPECT_FALSE(QFile::exists(file));
    dialogs.QueuePrintAnswer(true);
    ASSERT_TRUE(PrintGrid(*grid, printer, &window));
    EXPECT_EQ(dialogs.printQuestions, 2);

    QProcess process;
    process.start(pdftotext, {"-layout", file, "-"});
    ASSERT_TRUE(process.waitForFinished(30000));
    const QString text = QString::fromUtf8(process.readAllStandardOutput());
    for (const char* expected : {"Sample window", "Quorix", "Name", "alpha", "gamma", "0.75",
                                 "Page 1 of 1", "Thu Dec 10 01:04:53 2026"})
        EXPECT_TRUE(text.contains(expected)) << expected << " in\n" << text.toStdString();
}

}  // namespace
