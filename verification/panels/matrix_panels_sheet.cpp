// Draws the multiple-regression omnibus, random-model R² and Hotelling
// panels side by side, calculated, to look at their labels at the dialog
// font. Usage (on an X display, e.g. under xvfb-run):
//   matrix_panels_sheet out.png

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QGridLayout>
#include <QLabel>
#include <QPixmap>
#include <cstdio>

#include "app/panels/hotelling_form.h"
#include "app/panels/multiple_regression_forms.h"
#include "platform/environment.h"

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s out.png\n", argv[0]);
        return 2;
    }
    auto application = platform::CreateApplication(argc, argv);
    QWidget sheet;
    sheet.setObjectName("sheet");
    sheet.setStyleSheet("QWidget#sheet { background: white; }");
    auto* grid = new QGridLayout(&sheet);
    std::vector<CEffectSizePanel*> panels;
    auto place = [&](CEffectSizePanel* panel, const char* caption, int column) {
        panel->Create(&sheet, QPoint(0, 0));
        grid->addWidget(new QLabel(QString::fromUtf8(caption), &sheet), 0, column,
                        Qt::AlignLeft | Qt::AlignBottom);
        grid->addWidget(panel, 1, column, Qt::AlignLeft | Qt::AlignTop);
        panel->setFixedSize(panel->GetDesignSize());
        panels.push_back(panel);
    };
    auto* omnibus = new CEff_F_MRC_Omni(nullptr);
    place(omnibus, "103 R\u00b2 deviation from zero", 0);
    auto* omnibus1 = new CEff_F_MRC_Omni(nullptr);
    place(omnibus1, "103, from predictor correlations", 1);
    omnibus1->Button(CEff_F_MRC_Omni::kFromCorrelationsRadioId)->click();
    auto* random = new CEff_Exact_MRC_Random(nullptr);
    place(random, "611 random model", 2);
    auto* hotelling = new CEff_F_Hotelling(nullptr, "fho2");
    place(hotelling, "107 Hotelling, two groups", 3);

    for (CEffectSizePanel* panel : panels) panel->Calculate();
    sheet.show();
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 500) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return sheet.grab().save(QString::fromLocal8Bit(argv[1])) ? 0 : 1;
}
