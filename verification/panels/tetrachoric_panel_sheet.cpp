// Draws the tetrachoric effect-size panel at the dialog font into one
// picture, to look for clipped labels: after "Calculate" from cell
// probabilities, and after "Calculate" from frequencies with the option that
// reports r* (the labels then name r* and rho*).
// Usage (on an X display, e.g. under xvfb-run): tetrachoric_panel_sheet out.png

#include <QAbstractButton>
#include <QApplication>
#include <QPainter>
#include <QPixmap>
#include <cstdio>
#include <memory>

#include "analysis/property.h"
#include "app/drawer/panel_host.h"
#include "app/panels/tetrachoric_form.h"
#include "platform/environment.h"
#include "power/z/power_z_tetrachoric_corr.h"

namespace {

// Enough of a main window for the panel to read the test's option.
class SheetHost : public PanelHost {
  public:
    Property* FindParameter(std::string) override { return nullptr; }
    void SetParameterValue(std::string, double) override {}
    void SetEffectSize(double) override {}
    PropertyList* GetCurrentInputStore() override { return nullptr; }
    void CloseEffectSizeDrawer() override {}
    PowerAnalysis* CurrentTest() const override { return test.get(); }
    std::unique_ptr<PowerZTetrachoricCorr> test = std::make_unique<PowerZTetrachoricCorr>();
};

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s out.png\n", argv[0]);
        return 2;
    }
    auto application = platform::CreateApplication(argc, argv);
    SheetHost exactHost;
    SheetHost approximateHost;
    approximateHost.test->useApproximation = true;
    CEff_Z_Tetrachoric probabilities(&exactHost);
    CEff_Z_Tetrachoric frequencies(&approximateHost);
    for (CEff_Z_Tetrachoric* panel : {&probabilities, &frequencies}) {
        if (!panel->Create(nullptr, QPoint(0, 0))) return 1;
        panel->show();
    }
    probabilities.SetDlgItemString(CEff_Z_Tetrachoric::kFieldIds[0], "0.4");
    probabilities.SetDlgItemString(CEff_Z_Tetrachoric::kFieldIds[1], "0.1");
    probabilities.SetDlgItemString(CEff_Z_Tetrachoric::kFieldIds[2], "0.1");
    probabilities.SetDlgItemString(CEff_Z_Tetrachoric::kFieldIds[3], "");
    probabilities.Calculate();
    frequencies.Button(CEff_Z_Tetrachoric::kFrequenciesRadioId)->click();
    frequencies.SetDlgItemString(CEff_Z_Tetrachoric::kFieldIds[4], "40");
    frequencies.SetDlgItemString(CEff_Z_Tetrachoric::kFieldIds[5], "10");
    frequencies.SetDlgItemString(CEff_Z_Tetrachoric::kFieldIds[6], "15");
    frequencies.SetDlgItemString(CEff_Z_Tetrachoric::kFieldIds[7], "35");
    frequencies.SetDlgItemString(CEff_Z_Tetrachoric::kFieldIds[8], "0.5");
    frequencies.Calculate();
    QApplication::processEvents();
    const QPixmap left = probabilities.grab();
    const QPixmap right = frequencies.grab();

    constexpr int kPad = 12;
    constexpr int kCaption = 18;
    QPixmap sheet(3 * kPad + left.width() + right.width(),
                  2 * kPad + kCaption + std::max(left.height(), right.height()));
    sheet.fill(QColor(200, 200, 200));
    QPainter painter(&sheet);
    painter.drawText(QRect(kPad, kPad, left.width(), kCaption), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("CEff_Z_Tetrachoric (cell probabilities)"));
    painter.drawPixmap(kPad, kPad + kCaption, left);
    const int x = 2 * kPad + left.width();
    painter.drawText(QRect(x, kPad, right.width(), kCaption), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("CEff_Z_Tetrachoric (frequencies, option r*)"));
    painter.drawPixmap(x, kPad + kCaption, right);
    painter.end();
    return sheet.save(QString::fromLocal8Bit(argv[1])) ? 0 : 1;
}
