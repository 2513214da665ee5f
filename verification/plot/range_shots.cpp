// Pictures of the distribution pane after a calculation in the main window,
// one per case below, to look at the ranges of the axes: both densities
// whole, the labels inside the plot.
// Usage (offscreen is enough): plot_range_shots out-folder

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <cstdio>

#include "analysis/property.h"
#include "app/frame/main_frame.h"
#include "app/frame/quorix_app.h"
#include "app/results/dist_graph_view.h"
#include "app/results/dist_plot_form.h"
#include "platform/environment.h"
#include "platform/scripted_dialogs.h"

namespace {

struct Case {
    const char* file;
    int testId;
    int typeIndex;  // in the analysis-type list
    std::vector<std::pair<const char*, const char*>> inputs;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s out-folder\n", argv[0]);
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    auto application = platform::CreateApplication(argc, argv);
    platform::ScriptedDialogs dialogs;
    CQuorixNTApp app;
    if (!app.InitInstance()) return 1;
    CMainFrame* frame = app.MainFrame();
    const Case cases[] = {
        {"exact_correlation_post_hoc.png", 605, 3, {}},
        {"exact_correlation_criterion.png", 605, 2, {}},
        {"generic_f_lambda_1e6.png", 100, 2, {{"Noncentrality parameter $\\lambda$", "1e6"}}},
        {"generic_f_lambda_1e4.png", 100, 2, {{"Noncentrality parameter $\\lambda$", "1e4"}}},
        {"generic_f_lambda_100.png", 100, 2, {{"Noncentrality parameter $\\lambda$", "100"}}},
        {"generic_t_delta_8.png", 200, 2, {{"Noncentrality parameter $\\delta$", "8"}}},
        {"generic_chi2_lambda_40.png", 400, 2, {{"Noncentrality parameter $\\lambda$", "40"}}},
        {"two_means_post_hoc.png", 201, 3, {}},
        {"anova_one_way_post_hoc.png", 101, 3, {}},
    };
    int failures = 0;
    for (const Case& c : cases) {
        if (!frame->SelectTest(c.testId)) {
            std::fprintf(stderr, "no test %d\n", c.testId);
            ++failures;
            continue;
        }
        frame->OnAnalysisTypeSelected(c.typeIndex);
        for (const auto& [label, text] : c.inputs) {
            Property* input = frame->Inputs().Find(label);
            if (!input) {
                std::fprintf(stderr, "%s: no input %s\n", c.file, label);
                continue;
            }
            input->SetText(text);
        }
        frame->SetInputsOnForm(&frame->Inputs());
        dialogs.messages.clear();
        frame->OnCalculate();
        for (const auto& m : dialogs.messages)
            std::fprintf(stderr, "%s: %s\n", c.file, m.text.toStdString().c_str());
        const QString path = QDir(QString::fromLocal8Bit(argv[1])).filePath(c.file);
        if (!frame->ResultTabs()->Graph()->grab().save(path)) ++failures;
        std::printf("%s\n", path.toStdString().c_str());
    }
    return failures == 0 ? 0 : 1;
}
