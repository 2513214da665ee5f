// Draws the regression effect-size panels side by side, each calculated,
// some in a second input mode, to look at their labels and lists at the
// dialog font. Usage (on an X display, e.g. under xvfb-run):
//   regression_panels_sheet out.png

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QGridLayout>
#include <QLabel>
#include <QPixmap>
#include <cstdio>

#include "app/panels/regression_slope_form.h"
#include "app/panels/regression_special_form.h"
#include "app/panels/two_intercepts_form.h"
#include "app/panels/two_slopes_form.h"
#include "platform/environment.h"

namespace {

// Chooses an input mode as a user does, by the list's activation.
void ChooseMode(CEffectSizePanel* panel, int listId, int mode) {
    if (QComboBox* list = panel->List(listId)) {
        list->setCurrentIndex(mode);
        emit list->activated(mode);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s out.png\n", argv[0]);
        return 2;
    }
    auto application = platform::CreateApplication(argc, argv);
    QWidget sheet;
    sheet.setStyleSheet("QWidget#sheet { background: white; }");
    sheet.setObjectName("sheet");
    auto* grid = new QGridLayout(&sheet);

    struct Entry {
        CEffectSizePanel* panel;
        const char* caption;
    };
    std::vector<Entry> entries;
    auto place = [&](CEffectSizePanel* panel, const char* caption, int row, int column) {
        panel->Create(&sheet, QPoint(0, 0));
        auto* label = new QLabel(QString::fromUtf8(caption), &sheet);
        grid->addWidget(label, 2 * row, column, Qt::AlignLeft | Qt::AlignBottom);
        grid->addWidget(panel, 2 * row + 1, column, Qt::AlignLeft | Qt::AlignTop);
        panel->setFixedSize(panel->GetDesignSize());
        entries.push_back({panel, caption});
    };
    auto* slope0 = new CEff_T_LinRegress(nullptr);
    place(slope0, "211 one slope, mode 0", 0, 0);
    auto* slope3 = new CEff_T_LinRegress(nullptr);
    place(slope3, "211 one slope, mode 3", 0, 1);
    ChooseMode(slope3, CEff_T_LinRegress::kModeListId, 3);
    auto* slope4 = new CEff_T_LinRegress(nullptr);
    place(slope4, "211 one slope, mode 4", 0, 2);
    ChooseMode(slope4, CEff_T_LinRegress::kModeListId, 4);
    auto* special = new CEff_F_MRC_Special(nullptr);
    place(special, "104 R\u00b2 increase", 0, 3);
    auto* twoSlopes = new CEff_T_LinRegress2G(nullptr);
    place(twoSlopes, "208 two slopes, mode 1", 1, 0);
    ChooseMode(twoSlopes, CEff_T_LinRegress2G::kModeListId, 1);
    auto* intercepts = new CEff_T_LinRegress2GI(nullptr);
    place(intercepts, "209 two intercepts, mode 2", 1, 1);
    ChooseMode(intercepts, CEff_T_LinRegress2GI::kModeListId, 2);
    auto* coefficient = new CEff_T_MRC_1Pred(nullptr);
    place(coefficient, "210 one coefficient, direct", 1, 2);
    coefficient->Button(CEff_F_MRC_Special::kDirectRadioId)->click();

    for (const Entry& e : entries) e.panel->Calculate();
    sheet.show();
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 500) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return sheet.grab().save(QString::fromLocal8Bit(argv[1])) ? 0 : 1;
}
