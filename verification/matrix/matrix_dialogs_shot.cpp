// Shows the three matrix dialogs of the effect-size panels with a few typed
// values, each on both of its tabs, and saves one sheet of the six pictures,
// to look at the grids, the controls above them and the buttons at the
// dialog font.
// Usage (under xvfb-run; the sanitizer build reports a leak of the session
// bus library at exit, hence ASAN_OPTIONS):
//   ASAN_OPTIONS=detect_leaks=0 xvfb-run -a -s "-screen 0 1280x1024x24"
//       matrix_dialogs_shot docs/images/matrix-dialogs.png   (one line)

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QTabBar>
#include <cstdio>
#include <vector>

#include "app/matrix/matrix_in_dialogs.h"
#include "platform/environment.h"

namespace {

void Settle(int ms) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

// What a user types into a cell, written the way the edit ends it.
void Type(CMatInForm* page, int row, int col, const char* text) {
    page->View()->Grid()->ModifyItemText(row, col, QString::fromUtf8(text));
}

QPixmap Shoot(CMatrixInDialog& dialog, int tab) {
    dialog.Tabs()->setCurrentIndex(tab);
    Settle(200);
    return dialog.grab();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s out.png\n", argv[0]);
        return 2;
    }
    auto application = platform::CreateApplication(argc, argv);
    std::vector<QPixmap> shots;

    MeansCovarianceInput means;
    means.responses = 4;
    means.mode = MeansCovarianceInput::kSdAndCorrelationPattern;
    means.setPattern = true;
    means.firstOrderAutocorr = true;
    means.patternValue = 0.5;
    CEff_MatrixIn hotelling(nullptr, means);
    hotelling.move(20, 20);
    hotelling.show();
    Settle(300);
    Type(hotelling.MeansPage(), 0, 1, "pre");
    Type(hotelling.MeansPage(), 0, 2, "post");
    Type(hotelling.MeansPage(), 1, 1, "10");
    Type(hotelling.MeansPage(), 1, 2, "12.5");
    Type(hotelling.MeansPage(), 2, 1, "=21/2");
    Type(hotelling.MeansPage(), 2, 2, "11.25");
    shots.push_back(Shoot(hotelling, 0));
    hotelling.Tabs()->setCurrentIndex(1);
    Type(hotelling.SigmaPage(), 1, 1, "2");
    Type(hotelling.SigmaPage(), 2, 2, "3");
    shots.push_back(Shoot(hotelling, 1));

    MeansCovarianceInput rmm;
    rmm.groups = 3;
    rmm.responses = 4;
    CEff_RMM_MatrixIn repeated(nullptr, rmm);
    repeated.move(20, 20);
    repeated.show();
    Settle(300);
    Type(repeated.MeansPage(), 1, 1, "5");
    Type(repeated.MeansPage(), 2, 2, "6.5");
    Type(repeated.MeansPage(), 3, 5, "2");
    shots.push_back(Shoot(repeated, 0));
    repeated.Tabs()->setCurrentIndex(1);
    Type(repeated.SigmaPage(), 2, 1, "0.3");
    shots.push_back(Shoot(repeated, 1));

    PredictorCorrelationInput r2;
    r2.predictors = 3;
    CEff_R2_MatrixIn regression(nullptr, r2);
    regression.move(20, 20);
    regression.show();
    Settle(300);
    Type(regression.OutcomePage(), 1, 1, "0.3");
    Type(regression.OutcomePage(), 1, 2, "0.4");
    Type(regression.OutcomePage(), 1, 3, "0.2");
    regression.OnCalcR2();
    shots.push_back(Shoot(regression, 0));
    regression.Tabs()->setCurrentIndex(1);
    Type(regression.CorrelationPage(), 2, 1, "0.25");
    Type(regression.CorrelationPage(), 3, 2, "0.1");
    shots.push_back(Shoot(regression, 1));

    // Two pictures a row (one dialog each), a margin around each.
    const int margin = 12;
    int width = 0, height = 0;
    for (const QPixmap& shot : shots) {
        width = std::max(width, shot.width());
        height = std::max(height, shot.height());
    }
    const int columns = 2, rows = (static_cast<int>(shots.size()) + 1) / 2;
    QPixmap sheet(columns * (width + margin) + margin, rows * (height + margin) + margin);
    sheet.fill(Qt::white);
    QPainter painter(&sheet);
    for (int i = 0; i < static_cast<int>(shots.size()); ++i)
        painter.drawPixmap(margin + (i % columns) * (width + margin),
                           margin + (i / columns) * (height + margin), shots[i]);
    painter.end();
    return sheet.save(QString::fromLocal8Bit(argv[1])) ? 0 : 1;
}
