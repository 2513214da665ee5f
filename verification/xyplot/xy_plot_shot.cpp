// Opens the X-Y plot window on the two-sample t test the way a user would
// (Post hoc, two tails, Calculate, "X-Y plot for a range of values"), plots
// power against the total sample size for the effect sizes 0.2, 0.5 and 0.8
// with markers and values, and saves pictures of the graph and of the table.
// Usage (on a display, e.g. under xvfb-run): xy_plot_shot graph.png table.png

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QTabBar>
#include <cstdio>

#include "app/forms/command_forms.h"
#include "app/forms/form_tables.h"
#include "app/forms/main_comp_form.h"
#include "app/forms/selection_form.h"
#include "app/frame/main_frame.h"
#include "app/frame/quorix_app.h"
#include "app/xyplot/xy_plot_window.h"
#include "platform/environment.h"

namespace {

void Settle(int ms) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

// Picks the entry of `box` that starts with `prefix`, as the user would.
bool Pick(QComboBox* box, const QString& prefix) {
    for (int i = 0; i < box->count(); ++i) {
        if (!box->itemText(i).startsWith(prefix)) continue;
        box->setCurrentIndex(i);
        emit box->activated(i);
        return true;
    }
    std::fprintf(stderr, "no entry %s\n", prefix.toLocal8Bit().constData());
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s graph.png table.png\n", argv[0]);
        return 2;
    }
    auto application = platform::CreateApplication(argc, argv);
    CQuorixNTApp app;
    if (!app.InitInstance()) {
        std::fprintf(stderr, "no main window\n");
        return 1;
    }
    CMainFrame* frame = app.MainFrame();
    if (!frame->SelectTest(201)) {
        std::fprintf(stderr, "no two-means t test\n");
        return 1;
    }
    CTestSelectCompForm* selection = frame->TestSelectionForm();
    if (!Pick(selection->List(CTestSelectCompForm::kTypeList), "Post hoc")) return 3;
    for (int row = 0; row < form_tables::kRowCount; ++row) {
        if (frame->EditFieldForm()->ControlText(form_tables::InputLabelId(row)) == "Tail(s)")
            Pick(frame->EditFieldForm()->List(form_tables::InputListId(row)), "Two");
    }
    Settle(300);
    frame->CommandForm()->Button(form_tables::kCalculateButton)->click();
    Settle(300);
    frame->CommandForm()->Button(form_tables::kXYPlotButton)->click();
    CPlotAndTable* window = frame->XYPlotWindow();
    if (!window) {
        std::fprintf(stderr, "no X-Y plot window: the calculation failed\n");
        return 1;
    }
    CFormViewEx* form = window->Form();
    using namespace xy_plot_ids;
    Pick(form->List(kLayerCombo), "Effect size");
    window->OnControl(kLayerCombo, platform::ControlEvent::SelectionChanged);
    Pick(form->List(kCurveCount), "3");
    window->OnControl(kCurveCount, platform::ControlEvent::SelectionChanged);
    form->SetControlText(kXStep, "10");
    form->SetControlText(kLayerFrom, "0.2");
    form->SetControlText(kLayerStep, "0.3");
    form->Button(kMarkers)->click();
    form->Button(kValueLabels)->click();
    Settle(200);
    form->Button(kDrawPlot)->click();
    window->move(40, 40);
    window->raise();
    window->activateWindow();
    Settle(800);
    if (!window->PlotValid()) {
        std::fprintf(stderr, "no plot\n");
        return 1;
    }
    bool ok = window->grab().save(QString::fromLocal8Bit(argv[1]));
    static_cast<QTabBar*>(form->Control(kTabs))->setCurrentIndex(1);
    Settle(500);
    ok = window->grab().save(QString::fromLocal8Bit(argv[2])) && ok;
    window->close();
    Settle(100);
    if (!ok) std::fprintf(stderr, "the pictures could not be saved\n");
    return ok ? 0 : 1;
}
