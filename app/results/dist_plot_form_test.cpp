// The result pane with its two tabs and the distribution graph as the main
// window shows it after a calculation with a scripted test.

#include "app/results/dist_plot_form.h"

#include <QAbstractButton>
#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QMenu>
#include <QMimeData>
#include <QTabBar>
#include <cmath>
#include <ctime>

#include "app/forms/form_tables.h"
#include "app/forms/main_comp_form.h"
#include "app/frame/frame_test_support.h"
#include "app/frame/main_frame.h"
#include "app/frame/quorix_app.h"
#include "app/results/dist_graph_view.h"
#include "app/results/protocol_view.h"
#include "numerics/quorix_error.h"
#include "platform/scripted_dialogs.h"
#include "platform/widget_test_main.h"

namespace {

double ProcessCpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + 1e-9 * static_cast<double>(ts.tv_nsec);
}

// Two normal densities, H1 shifted by 2.5, critical values at ±1.96.
void TwoTailedNormals(PlotData* d) {
    auto pdf = [](double x) { return std::exp(-x * x / 2) / std::sqrt(2 * M_PI); };
    for (int i = 0; i <= kPlotIntervals; ++i) {
        const double x = -4 + 9.0 * i / kPlotIntervals;
        d->centralCurve.push_back({x, pdf(x)});
        d->noncentralCurve.push_back({x, pdf(x - 2.5)});
        if (x >= 1.96) d->alphaArea.push_back({x, pdf(x)});
        if (x <= -1.96) d->alphaArea2.push_back({x, pdf(x)});
        if (x <= 1.96) d->betaArea.push_back({x, pdf(x - 2.5)});
    }
    d->markers = {{-4, 0}, {5, 0}};
    d->criticalValue = 1.96;
    d->criticalValue2 = -1.96;
    d->yLimit = 1;
    d->alphaLabel = {2.3, 0.01};
    d->betaLabel = {1.5, 0.1};
    d->statisticName = "z";
}

// Vertical green lines (the critical lines); a line may cover two columns.
int GreenLines(const QImage& image) {
    int lines = 0;
    bool previous = false;
    for (int x = 0; x < image.width(); ++x) {
        int green = 0;
        for (int y = 0; y < image.height(); ++y) {
            const QColor c = image.pixelColor(x, y);
            if (c.green() > 200 && c.red() < 120 && c.blue() < 120) ++green;
        }
        const bool line = green > image.height() / 2;
        if (line && !previous) ++lines;
        previous = line;
    }
    return lines;
}

int DarkPixels(const QImage& image) {
    int dark = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y).lightness() < 128) ++dark;
    return dark;
}

class ResultPane : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(app.InitInstance());
        frame = app.MainFrame();
        frame_test::UseScriptedCatalogue(frame);
        frame_test::ActiveScript() = &script;
        script.plot = TwoTailedNormals;
        pane = frame->ResultTabs();
        ASSERT_NE(pane, nullptr);
        graph = pane->Graph();
        ASSERT_NE(graph, nullptr);
        frame->CurrentTest()->oneTailed = false;
    }
    void TearDown() override {
        frame_test::ActiveScript() = nullptr;
        frame_test::ForgetScriptedFamilies();
    }
    QImage Picture() { return graph->grab().toImage(); }
    QTabBar* Tabs() { return qobject_cast<QTabBar*>(pane->Control(CDistPlotCompForm::kTabs)); }
    bool Enabled(int id) { return frame->Commands().Query(id).enabled; }

    platform::ScriptedDialogs dialogs;
    CQuorixNTApp app;
    CMainFrame* frame = nullptr;
    CDistPlotCompForm* pane = nullptr;
    CDistGraphView* graph = nullptr;
    frame_test::Script script;
};

TEST_F(ResultPane, StartsOnAnEmptyGraphAndSwitchesTabs) {
    ASSERT_NE(Tabs(), nullptr);
    ASSERT_EQ(Tabs()->count(), 2);
    EXPECT_EQ(Tabs()->tabText(0), "Central and noncentral distributions");
    EXPECT_EQ(Tabs()->tabText(1), "Protocol of power analyses");
    EXPECT_TRUE(pane->GraphShown());
    EXPECT_FALSE(graph->isHidden());
    EXPECT_TRUE(pane->Protocol()->isHidden());
    EXPECT_EQ(graph->geometry(), pane->Control(CDistPlotCompForm::kArea)->rect());
    EXPECT_EQ(GreenLines(Picture()), 0);
    EXPECT_EQ(graph->MakeContextMenu(), nullptr);  // before a calculation
    using namespace command_ids;
    // No picture to copy, save or print before there is a plot.
    for (int id : {kCopyDistributionsPlot, kSaveDistributionsPlot, kPrintDistributionsPlot})
        EXPECT_FALSE(Enabled(id)) << id;

    frame->OnCalculate();
    ASSERT_TRUE(frame->PlotValid());
    for (int id : {kCopyDistributionsPlot, kSaveDistributionsPlot, kPrintDistributionsPlot})
        EXPECT_TRUE(Enabled(id)) << id;
    Tabs()->setCurrentIndex(1);
    EXPECT_FALSE(pane->GraphShown());
    EXPECT_TRUE(graph->isHidden());
    EXPECT_FALSE(pane->Protocol()->isHidden());
    EXPECT_EQ(pane->Protocol()->geometry(), graph->geometry());
    for (int id : {kCopyDistributionsPlot, kSaveDistributionsPlot, kPrintDistributionsPlot})
        EXPECT_FALSE(Enabled(id)) << id;
    // Back on the graph tab the graph is still there.
    Tabs()->setCurrentIndex(0);
    EXPECT_TRUE(pane->GraphShown());
    EXPECT_EQ(GreenLines(Picture()), 2);
}

TEST_F(ResultPane, ACalculationDrawsTheGraphUntilAnInputChanges) {
    // The worker fills a record of its own: a repaint meanwhile never reads
    // a half-filled one.
    const PlotData* filled = nullptr;
    script.plot = [&filled](PlotData* plot) {
        filled = plot;
        TwoTailedNormals(plot);
    };
    frame->OnCalculate();
    EXPECT_NE(filled, nullptr);
    EXPECT_NE(filled, &graph->Data());
    ASSERT_TRUE(frame->OutputsValid());
    ASSERT_TRUE(frame->PlotValid());
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(GreenLines(Picture()), 2);  // two-tailed: two critical lines
    frame->CurrentTest()->oneTailed = true;
    frame->OnCalculate();
    EXPECT_EQ(GreenLines(Picture()), 1);

    std::unique_ptr<QMenu> menu = graph->MakeContextMenu();
    ASSERT_NE(menu, nullptr);
    QStringList texts;
    for (QAction* action : menu->actions()) texts << action->text();
    EXPECT_EQ(texts,
              QStringList({"Copy plot to clipboard", "Save plot to file...", "Print plot..."}));
    menu->actions()[0]->trigger();
    EXPECT_FALSE(QGuiApplication::clipboard()->mimeData()->data("image/x-emf").isEmpty());

    // An edited input wipes the graph, and it stays blank on later repaints.
    frame->OnInputsChanged();
    EXPECT_EQ(GreenLines(Picture()), 0);
    EXPECT_EQ(GreenLines(Picture()), 0);
    EXPECT_EQ(graph->MakeContextMenu(), nullptr);
}

// Counts the paint events a widget receives.
class PaintCounter : public QObject {
  public:
    explicit PaintCounter(QWidget* widget) { widget->installEventFilter(this); }
    int count = 0;

  protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) ++count;
        return false;
    }
};

TEST_F(ResultPane, ATestChosenFromTheMenuWipesTheGraphAtOnce) {
    frame->show();
    frame->OnCalculate();
    ASSERT_TRUE(frame->PlotValid());
    widget_test::RunEventsFor(50);
    PaintCounter paints(graph);
    // Tests -> Means -> "Two independent groups".
    ASSERT_TRUE(frame->Commands().Dispatch(32829));
    widget_test::RunEventsFor(50);
    EXPECT_EQ(frame->CurrentTest()->GetTestId(), 201);
    // Repainted without the old test's graph, not left showing it under
    // the new test until something else repaints the pane.
    EXPECT_GT(paints.count, 0);
    EXPECT_EQ(GreenLines(Picture()), 0);
}

TEST_F(ResultPane, FileMenuCopiesThePicture) {
    frame->OnCalculate();
    QGuiApplication::clipboard()->clear();
    ASSERT_TRUE(frame->Commands().Dispatch(command_ids::kCopyDistributionsPlot));
    const QByteArray emf = QGuiApplication::clipboard()->mimeData()->data("image/x-emf");
    ASSERT_GT(emf.size(), 100);
    EXPECT_EQ(emf.mid(40, 4), " EMF");
}

TEST_F(ResultPane, APlotThatCannotBeMadeLeavesTheOutputsAndSaysSo) {
    script.plot = [](PlotData*) { throw QuorixError("quantile failed", 0, 0.0); };
    frame->OnCalculate();
    EXPECT_TRUE(frame->OutputsValid());
    EXPECT_FALSE(frame->PlotValid());
    EXPECT_EQ(frame->EditFieldForm()->ControlText(form_tables::OutputEditId(0)), "1.5");
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text.toStdString(), calc_messages::kPlotFailed);
    EXPECT_TRUE(graph->Failed());
    EXPECT_GT(DarkPixels(Picture()), 50);  // the text in the pane
    // The text is no picture: nothing offers to copy, save or print it.
    EXPECT_FALSE(Enabled(command_ids::kCopyDistributionsPlot));
    std::unique_ptr<QMenu> menu = graph->MakeContextMenu();
    ASSERT_NE(menu, nullptr);
    for (QAction* action : menu->actions()) EXPECT_FALSE(action->isEnabled());
    // A later successful plot replaces the text by the graph.
    script.plot = TwoTailedNormals;
    frame->OnCalculate();
    EXPECT_FALSE(graph->Failed());
    EXPECT_EQ(GreenLines(Picture()), 2);
}

TEST_F(ResultPane, RedrawWhileTheProtocolIsShownLeavesTheGraphHiddenUntilItsTabReturns) {
    Tabs()->setCurrentIndex(1);
    frame->OnCalculate();  // the plot does not run on the protocol tab
    EXPECT_FALSE(frame->PlotValid());
    pane->RedrawPlot();
    EXPECT_TRUE(graph->isHidden());
    // Back on the graph tab, the calculation's distributions are drawn.
    Tabs()->setCurrentIndex(0);
    EXPECT_TRUE(frame->PlotValid());
    EXPECT_EQ(GreenLines(Picture()), 2);
}

// The program's own tests at inputs whose distributions cannot be drawn:
// quantiles that fail, densities that would take minutes. The outputs stay,
// and the pane says why the graph is missing, within a few seconds.
TEST(ResultPaneWithTheProgramsTests, ExtremeInputsKeepTheOutputsAndThePaneSaysItCannotDraw) {
    platform::ScriptedDialogs dialogs;
    CQuorixNTApp app;
    ASSERT_TRUE(app.InitInstance());
    CMainFrame* frame = app.MainFrame();
    const struct {
        int testId;
        const char* label;
        const char* text;
    } cases[] = {
        {400, "Df", "2147483648"},
        {100, "Noncentrality parameter $\\lambda$", "1e10"},
        {400, "Noncentrality parameter $\\lambda$", "1e9"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.testId) + " " + c.label + " " + c.text);
        dialogs.messages.clear();
        ASSERT_TRUE(frame->SelectTest(c.testId));
        for (int i = 0; i < static_cast<int>(frame->AnalysisTypes().size()); ++i) {
            if (static_cast<PropertyLong*>(frame->AnalysisTypes()[i])->GetValue() == kPostHoc)
                frame->SetChosenType(i);
        }
        ASSERT_EQ(frame->CurrentAnalysis(), kPostHoc);
        frame->ApplyTestToForms();
        frame->GetInputsFromForm(&frame->Inputs());
        Property* input = frame->Inputs().Find(c.label);
        ASSERT_NE(input, nullptr);
        input->SetText(c.text);
        frame->SetInputsOnForm(&frame->Inputs());
        // The CPU time of every thread: the plot's worker gives up after its
        // budget instead of running on, whatever the load of the machine.
        const double cpuBefore = ProcessCpuSeconds();
        frame->OnCalculate();
        EXPECT_LT(ProcessCpuSeconds() - cpuBefore, 20.0);
        EXPECT_TRUE(frame->OutputsValid());
        EXPECT_FALSE(frame->PlotValid());
        EXPECT_TRUE(frame->ResultTabs()->Graph()->Failed());
        ASSERT_EQ(dialogs.messages.size(), 1u);
        EXPECT_EQ(dialogs.messages[0].text.toStdString(), calc_messages::kPlotFailed);
    }
}

}  // namespace
