// Draws the ANOVA effect-size panels at the dialog font into one picture, to
// look for clipped labels: the procedure selector, the omnibus panel after
// "Calculate" on the means 1, 2, 3, 4, and the special-effects panel in both
// modes (the variance within groups, then partial eta squared typed in).
// Usage (on an X display, e.g. under xvfb-run): anova_panels_sheet out.png

#include <QAbstractButton>
#include <QApplication>
#include <QPainter>
#include <QPixmap>
#include <cstdio>
#include <memory>
#include <utility>
#include <vector>

#include "app/panels/anova_forms.h"
#include "platform/environment.h"
#include "ui/grid/grid_ctrl.h"

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s out.png\n", argv[0]);
        return 2;
    }
    auto application = platform::CreateApplication(argc, argv);
    auto selector = std::make_unique<CEff_SelectAnovaOmniSpecial>(nullptr);
    auto means = std::make_unique<CEff_F_Anova_Omni>(nullptr);
    auto variances = std::make_unique<CEff_F_Anova_Special>(nullptr);
    auto direct = std::make_unique<CEff_F_Anova_Special>(nullptr);
    std::vector<std::pair<const char*, CEffectSizePanel*>> panels = {
        {"CEff_SelectAnovaOmniSpecial", selector.get()},
        {"CEff_F_Anova_Omni", means.get()},
        {"CEff_F_Anova_Special (variance within groups)", variances.get()},
        {"CEff_F_Anova_Special (direct)", direct.get()},
    };
    for (auto& [name, panel] : panels) {
        if (!panel->Create(nullptr, QPoint(0, 0))) return 1;
        panel->show();
    }
    for (int i = 0; i < 4; ++i) means->Grid()->SetItemText(i + 1, 1, QString::number(i + 1));
    means->Calculate();
    variances->SetVarianceType(1);
    variances->SetDlgItemString(CEff_F_Anova_Special::kFieldIds[1], "3");
    variances->Calculate();
    direct->Button(CEff_F_Anova_Special::kDirectRadioId)->click();
    direct->SetDlgItemString(CEff_F_Anova_Special::kFieldIds[2], "0.0588235");
    direct->Calculate();

    std::vector<QPixmap> shots;
    for (auto& [name, panel] : panels) {
        QApplication::processEvents();
        shots.push_back(panel->grab());
    }
    // The selector above the omnibus panel, as the drawer stacks them; the
    // special panels beside them.
    constexpr int kPad = 12;
    constexpr int kCaption = 18;
    const int width = shots[1].width();
    const int left = kPad + 2 * kCaption + shots[0].height() + shots[1].height() + kPad;
    const int right = kPad + 2 * kCaption + shots[2].height() + shots[3].height() + kPad;
    QPixmap sheet(3 * kPad + 2 * width + 40, std::max(left, right) + kPad);
    sheet.fill(QColor(200, 200, 200));
    QPainter painter(&sheet);
    auto place = [&](int index, int x, int y) {
        painter.drawText(QRect(x, y, width + 40, kCaption), Qt::AlignLeft | Qt::AlignVCenter,
                         QString::fromLatin1(panels[index].first));
        painter.drawPixmap(x, y + kCaption, shots[index]);
        return y + kCaption + shots[index].height() + kPad / 2;
    };
    place(1, kPad, place(0, kPad, kPad));
    place(3, 2 * kPad + width + 40, place(2, 2 * kPad + width + 40, kPad));
    painter.end();
    return sheet.save(QString::fromLocal8Bit(argv[1])) ? 0 : 1;
}
