// Shows the model explorer's matrix tabs over a model of 5 cells, 3
// predictors and 4 responses, with a few typed values, and saves one sheet
// with a picture of each tab, to look at the grids, their headers and the
// controls above them at the dialog font.
// Usage (under xvfb-run; the sanitizer build reports a leak of the session
// bus library at exit, hence ASAN_OPTIONS):
//   ASAN_OPTIONS=detect_leaks=0 xvfb-run -a -s "-screen 0 1280x1024x24"
//       explorer_tabs_shot docs/images/explorer-tabs.png   (one line)

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QTabBar>
#include <cstdio>
#include <vector>

#include "app/explorer/glmm_explorer.h"
#include "app/explorer/glmm_in_contrast.h"
#include "app/explorer/glmm_in_design.h"
#include "app/explorer/glmm_in_means.h"
#include "app/explorer/glmm_in_sigma.h"
#include "glm/model/power_glmm.h"
#include "platform/environment.h"

namespace {

void Settle(int ms) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

// What a user types into a cell, written the way the edit ends it.
void Type(CMatrixView* view, int row, int col, const char* text) {
    view->Grid()->ModifyItemText(row, col, QString::fromUtf8(text));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s out.png\n", argv[0]);
        return 2;
    }
    auto application = platform::CreateApplication(argc, argv);
    PowerGLMM model;
    model.SetDimensions(5, 3, 4);
    CGLMMExplorer window;
    window.SetModel(&model);
    if (!window.OnInitDialog()) return 1;
    window.move(20, 20);
    window.show();
    Settle(300);

    CMatrixView* design = window.DesignForm()->View();
    for (int r = 1; r <= 5; ++r) Type(design, r, 1, "1");
    Type(design, 2, 2, "1");
    Type(design, 3, 3, "1");
    Type(design, 4, 2, "=1/2");
    Type(design, 4, 3, "0.5");
    Type(design, 5, 4, "2");

    std::vector<QPixmap> shots;
    auto shoot = [&](int tab) {
        window.Tabs()->setCurrentIndex(tab);
        Settle(200);
        shots.push_back(window.grab());
    };
    shoot(CGLMMExplorer::kDesign);

    window.Tabs()->setCurrentIndex(CGLMMExplorer::kMeans);
    CMatrixView* means = window.MeansForm()->View();
    Type(means, 1, 1, "10");
    Type(means, 1, 2, "12.5");
    Type(means, 2, 3, "-1.25");
    Type(means, 3, 4, "=sqrt(2)");
    shoot(CGLMMExplorer::kMeans);

    window.Tabs()->setCurrentIndex(CGLMMExplorer::kSigma);
    CMatrixView* sigma = window.SigmaForm()->View();
    Type(sigma, 1, 1, "4");
    Type(sigma, 2, 2, "9");
    Type(sigma, 2, 1, "3");
    Type(sigma, 4, 3, "0.3");
    QComboBox* mode = window.SigmaForm()->List(CGLMM_In_Sigma::kModeList);
    mode->setCurrentIndex(1);
    emit mode->activated(1);
    shoot(CGLMMExplorer::kSigma);

    window.Tabs()->setCurrentIndex(CGLMMExplorer::kPredContrast);
    window.PredContrastForm()->Button(CGLMM_In_ContrastForm::kAddContrastButton)->click();
    shoot(CGLMMExplorer::kPredContrast);

    window.Tabs()->setCurrentIndex(CGLMMExplorer::kVarContrast);
    window.VarContrastForm()->Button(CGLMM_In_ContrastForm::kAddContrastButton)->click();
    CMatrixView* a = window.VarContrastForm()->View();
    Type(a, 4, 4, "1");
    Type(a, 4, 5, "-1");
    Type(a, 4, 6, "-1");
    a->Grid()->ModifyItemText(4, 3, QStringLiteral("to one"));
    shoot(CGLMMExplorer::kVarContrast);

    // Two pictures a row, a margin around each.
    const int margin = 12;
    const QSize one = shots.front().size();
    const int columns = 2, rows = (static_cast<int>(shots.size()) + 1) / 2;
    QPixmap sheet(columns * (one.width() + margin) + margin,
                  rows * (one.height() + margin) + margin);
    sheet.fill(Qt::white);
    QPainter painter(&sheet);
    for (int i = 0; i < static_cast<int>(shots.size()); ++i)
        painter.drawPixmap(margin + (i % columns) * (one.width() + margin),
                           margin + (i / columns) * (one.height() + margin), shots[i]);
    painter.end();
    return sheet.save(QString::fromLocal8Bit(argv[1])) ? 0 : 1;
}
