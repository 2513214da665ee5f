// What the result pane and the outputs show for the exact tests after a
// calculation at the defaults, in every type of analysis.

#include <gtest/gtest.h>

#include <QRegularExpression>

#include "analysis/catalogue.h"
#include "app/frame/main_frame.h"
#include "app/frame/quorix_app.h"
#include "app/results/dist_graph_view.h"
#include "app/results/dist_plot_form.h"
#include "platform/scripted_dialogs.h"
#include "platform/widget_test_main.h"

namespace {

class ExactResults : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(app.InitInstance());
        frame = app.MainFrame();
        if (!FindTest(601)) GTEST_SKIP() << "this build has no exact tests";
    }
    // Every type of analysis of test `id`, calculated at its defaults.
    template <class Check>
    void ForEveryType(int id, Check check) {
        ASSERT_TRUE(frame->SelectTest(id)) << id;
        const int types = static_cast<int>(frame->AnalysisTypes().size());
        for (int type = 0; type < types; ++type) {
            frame->OnAnalysisTypeSelected(type);
            dialogs.messages.clear();
            frame->OnCalculate();
            ASSERT_TRUE(frame->OutputsValid()) << id << " type " << type;
            check(type);
        }
    }

    platform::ScriptedDialogs dialogs;
    CQuorixNTApp app;
    CMainFrame* frame = nullptr;
};

TEST_F(ExactResults, CriticalCountsAreWholeNumbersInEveryType) {
    const QRegularExpression whole(QStringLiteral("^[0-9]+$"));
    int seen = 0;
    for (int id : {601, 602, 603, 604}) {
        ForEveryType(id, [&](int type) {
            for (const char* label : {"Lower critical N", "Upper critical N"}) {
                const Property* output = frame->Outputs().Find(label);
                if (!output) continue;
                ++seen;
                EXPECT_TRUE(whole.match(QString::fromStdString(output->text)).hasMatch())
                    << id << " type " << type << " " << label << " = " << output->text;
            }
        });
    }
    EXPECT_GE(seen, 30);
}

TEST_F(ExactResults, APaneWithoutDistributionsSaysSoInALine) {
    CDistGraphView* graph = frame->ResultTabs()->Graph();
    ASSERT_NE(graph, nullptr);
    // Fisher's test at its defaults and the unconditional tests enumerate
    // their outcomes: there are no densities to draw.
    for (int id : {606, 607, 608}) {
        ForEveryType(id, [&](int type) {
            EXPECT_TRUE(frame->PlotValid()) << id << " type " << type;
            EXPECT_TRUE(graph->Data().centralCurve.empty()) << id << " type " << type;
            EXPECT_EQ(graph->NoteShown().toStdString(), kNoPlotText) << id << " type " << type;
        });
    }
    // A test with densities shows its graph and no line; an edited input
    // blanks the pane, line and all.
    ForEveryType(605, [&](int type) {
        EXPECT_FALSE(graph->Data().centralCurve.empty()) << type;
        EXPECT_TRUE(graph->NoteShown().isEmpty()) << type;
    });
    frame->SelectTest(606);
    frame->OnCalculate();
    EXPECT_FALSE(graph->NoteShown().isEmpty());
    frame->OnInputsChanged();
    EXPECT_TRUE(graph->NoteShown().isEmpty());
}

}  // namespace
