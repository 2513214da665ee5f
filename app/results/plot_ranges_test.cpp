// The distribution graph after a calculation in the main window shows both
// densities whole: no peak above the y range, no curve cut at an end of the
// x range while it is still well above zero.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "analysis/catalogue.h"
#include "analysis/property.h"
#include "app/frame/main_frame.h"
#include "app/frame/quorix_app.h"
#include "app/results/dist_graph_view.h"
#include "app/results/dist_plot_form.h"
#include "platform/scripted_dialogs.h"
#include "platform/widget_test_main.h"

namespace {

struct RangeCase {
    const char* what;
    int testId;
    int typeIndex;  // in the analysis-type list
    const char* input;
    const char* text;
};

double Highest(const std::vector<PlotPoint>& curve) {
    double top = 0.0;
    for (const PlotPoint& p : curve) top = std::max(top, p.y);
    return top;
}

TEST(PlotRanges, BothDensitiesAreWhole) {
    platform::ScriptedDialogs dialogs;
    CQuorixNTApp app;
    ASSERT_TRUE(app.InitInstance());
    CMainFrame* frame = app.MainFrame();
    if (!FindTest(605) || !FindTest(101) || !FindTest(200)) GTEST_SKIP() << "families missing";
    const RangeCase cases[] = {
        {"exact correlation, post hoc", 605, 3, nullptr, nullptr},
        {"exact correlation, criterion", 605, 2, nullptr, nullptr},
        {"one-way ANOVA, post hoc", 101, 3, nullptr, nullptr},
        {"two means, post hoc", 201, 3, nullptr, nullptr},
        {"generic t, delta 8", 200, 2, "Noncentrality parameter $\\delta$", "8"},
        {"generic chi-square, lambda 40", 400, 2, "Noncentrality parameter $\\lambda$", "40"},
    };
    for (const RangeCase& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(frame->SelectTest(c.testId));
        frame->OnAnalysisTypeSelected(c.typeIndex);
        if (c.input) {
            Property* input = frame->Inputs().Find(c.input);
            ASSERT_NE(input, nullptr);
            input->SetText(c.text);
            frame->SetInputsOnForm(&frame->Inputs());
        }
        dialogs.messages.clear();
        frame->OnCalculate();
        ASSERT_TRUE(dialogs.messages.empty()) << dialogs.messages[0].text.toStdString();
        ASSERT_TRUE(frame->PlotValid());
        const PlotData& plot = frame->ResultTabs()->Graph()->Data();
        for (const std::vector<PlotPoint>* curve : {&plot.centralCurve, &plot.noncentralCurve}) {
            ASSERT_GT(curve->size(), 100u);
            const double top = Highest(*curve);
            EXPECT_LT(top, plot.yLimit) << "the peak is cut by the y range";
            EXPECT_LT(curve->front().y, 0.06 * top) << "cut at the left end";
            EXPECT_LT(curve->back().y, 0.06 * top) << "cut at the right end";
        }
    }
}

// The density of r under rho = 0 with N pairs peaks at r = 0 with height
// Gamma((N-1)/2) / (sqrt(pi) Gamma((N-2)/2)); the graph shows that height.
TEST(PlotRanges, TheExactCorrelationShowsTheTrueHeightOfItsH0Peak) {
    platform::ScriptedDialogs dialogs;
    CQuorixNTApp app;
    ASSERT_TRUE(app.InitInstance());
    CMainFrame* frame = app.MainFrame();
    if (!FindTest(605)) GTEST_SKIP() << "no exact tests";
    ASSERT_TRUE(frame->SelectTest(605));
    frame->OnAnalysisTypeSelected(3);
    Property* n = frame->Inputs().Find("Total sample size");
    ASSERT_NE(n, nullptr);
    for (const char* size : {"100", "400"}) {
        n->SetText(size);
        frame->SetInputsOnForm(&frame->Inputs());
        frame->OnCalculate();
        ASSERT_TRUE(frame->PlotValid()) << size;
        const double N = std::atof(size);
        const double peak =
            std::exp(std::lgamma((N - 1) / 2) - std::lgamma((N - 2) / 2)) / std::sqrt(M_PI);
        const double shown = Highest(frame->ResultTabs()->Graph()->Data().centralCurve);
        EXPECT_NEAR(shown, peak, 0.02 * peak) << size;
    }
}

}  // namespace
