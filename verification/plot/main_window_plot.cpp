// Opens the program's main window on a test, types the given inputs,
// presses "Calculate" and saves a picture of the window once the
// distribution plot is drawn, and the graph's metafile as Copy and Save
// write it (out.png.emf, to be looked at through emf2svg-conv).
// Usage (on a display, e.g. under xvfb-run):
//   plot_main_window out.png TESTID ["Input label=text" ...]
// e.g. plot_main_window t.png 201 "Tail(s)=Two" "Effect size d=0.5"

#include <QApplication>
#include <QElapsedTimer>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "analysis/property.h"
#include "app/frame/main_frame.h"
#include "app/frame/quorix_app.h"
#include "app/results/dist_graph_view.h"
#include "app/results/dist_plot_form.h"
#include "platform/emf_picture.h"
#include "platform/environment.h"
#include "platform/files.h"

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s out.png testId [\"label=text\" ...]\n", argv[0]);
        return 2;
    }
    auto application = platform::CreateApplication(argc, argv);
    CQuorixNTApp app;
    if (!app.InitInstance()) return 1;
    CMainFrame* frame = app.MainFrame();
    auto settle = [](int ms) {
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    };
    settle(300);
    if (!frame->SelectTest(std::atoi(argv[2]))) {
        std::fprintf(stderr, "no test %s\n", argv[2]);
        return 1;
    }
    frame->GetInputsFromForm(&frame->Inputs());
    for (int i = 3; i < argc; ++i) {
        const std::string assignment = argv[i];
        const size_t equals = assignment.find('=');
        Property* input = frame->Inputs().Find(assignment.substr(0, equals));
        if (equals == std::string::npos || !input) {
            std::fprintf(stderr, "no input %s\n", argv[i]);
            return 1;
        }
        input->SetText(assignment.substr(equals + 1));
        if (input->GetType() == Property::kSelection) {
            auto* selection = static_cast<PropertySelection*>(input);
            for (int k = 0; k < selection->GetOptionCount(); ++k)
                if (selection->GetOption(k) == assignment.substr(equals + 1)) selection->index = k;
        }
    }
    frame->SetInputsOnForm(&frame->Inputs());
    settle(200);
    frame->OnCalculate();
    QElapsedTimer clock;
    clock.start();
    while ((frame->IsBusy() || frame->IsCalculationRunning()) && clock.elapsed() < 20000)
        settle(50);
    settle(500);
    QString error;
    const QByteArray emf = frame->ResultTabs()->Graph()->RecordPicture(&error);
    if (!platform::SaveFileAtomically(QString::fromLocal8Bit(argv[1]) + ".emf", emf, &error))
        std::fprintf(stderr, "no metafile: %s\n", error.toLocal8Bit().constData());
    return frame->grab().save(QString::fromLocal8Bit(argv[1])) ? 0 : 1;
}
