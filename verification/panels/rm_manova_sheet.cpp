// Draws the MANOVA, repeated-measures criterion, between-factors (from
// means) and special-effects panels side by side, each set up for a test
// and calculated, with its form number and class above it, to look at
// clipped labels and the layout.
// Usage (on an X display, e.g. under xvfb-run):
//   rm_manova_sheet out.png

#include <QAbstractButton>
#include <QApplication>
#include <QPainter>
#include <QPixmap>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

#include "analysis/ids.h"
#include "analysis/parameter_names.h"
#include "analysis/property.h"
#include "app/drawer/panel_host.h"
#include "app/panels/manova_forms.h"
#include "app/panels/rm_forms.h"
#include "app/panels/rm_mean_cov_form.h"
#include "app/panels/rm_selector_forms.h"
#include "platform/environment.h"
#include "platform/fonts.h"
#include "power/f/power_f_multivariate.h"
#include "power/f/power_f_repeated.h"

namespace {

// The main window as the panels see it: a test and a few inputs.
class SheetHost : public PanelHost {
  public:
    Property* FindParameter(std::string label) override { return inputs.Find(label); }
    void SetParameterValue(std::string, double) override {}
    void SetEffectSize(double) override {}
    PropertyList* GetCurrentInputStore() override { return &store; }
    void CloseEffectSizeDrawer() override {}
    PowerAnalysis* CurrentTest() const override { return test.get(); }
    void Show(int id, const char* text) {
        auto* input = new PropertyDouble(ParameterNames[id], 0.0, false);
        input->SetText(text);
        inputs.push_back(input);
    }
    std::unique_ptr<PowerAnalysis> test;
    PropertyList inputs;
    PropertyList store;
};

struct Sheet {
    QString caption;
    QPixmap picture;
};

Sheet Picture(CEffectSizePanel* panel, int testId, const char* name) {
    panel->Create(nullptr, QPoint(0, 0));
    panel->show();
    panel->SetUpAfterOpening(testId);
    // A selector has no "Calculate".
    if (QAbstractButton* calculate = panel->Button(CEffectSizePanel::kCalculateButtonId))
        calculate->click();
    QCoreApplication::processEvents();
    return {QStringLiteral("%1 %2").arg(panel->TemplateId()).arg(QString::fromLatin1(name)),
            panel->grab()};
}

template <class Test>
std::unique_ptr<SheetHost> MultivariateHost(int criterionId) {
    auto host = std::make_unique<SheetHost>();
    auto test = std::make_unique<Test>();
    test->SetCriterion(criterionId);
    host->test = std::move(test);
    return host;
}

template <class Test>
std::unique_ptr<SheetHost> RepeatedHost(int specification) {
    auto host = std::make_unique<SheetHost>();
    auto test = std::make_unique<Test>();
    test->effectSizeSpecification = specification;
    host->test = std::move(test);
    return host;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s out.png\n", argv[0]);
        return 2;
    }
    auto application = platform::CreateApplication(argc, argv);
    std::vector<std::unique_ptr<SheetHost>> hosts;
    std::vector<std::unique_ptr<CEffectSizePanel>> panels;
    std::vector<Sheet> sheets;
    auto add = [&](std::unique_ptr<SheetHost> host, auto make, int testId, const char* name) {
        hosts.push_back(std::move(host));
        panels.emplace_back(make(hosts.back().get()));
        sheets.push_back(Picture(panels.back().get(), testId, name));
    };
    auto manovaSpecial = MultivariateHost<PowerFManovaSpecial>(104);
    manovaSpecial->Show(kNumberOfPredictorsId, "3");
    // A post hoc analysis shows N, so that no a priori warning stops the sheet.
    manovaSpecial->Show(kTotalSampleSizeId, "120");
    auto interaction = MultivariateHost<PowerFRepMMultiInter>(105);
    interaction->Show(kTotalSampleSizeId, "60");
    add(
        MultivariateHost<PowerFManovaGlobal>(107),
        [](PanelHost* h) { return new CEff_F_Manova(h); }, kManovaGlobalTestId, "CEff_F_Manova");
    add(
        std::move(manovaSpecial), [](PanelHost* h) { return new CEff_F_Manova(h); },
        kManovaSpecialTestId, "CEff_F_Manova (T2)");
    add(
        MultivariateHost<PowerFRepMMultiBetween>(101),
        [](PanelHost* h) { return new CEff_F_RMMulti_2(h); }, kManovaRepeatedBetweenTestId,
        "CEff_F_RMMulti_2");
    add(
        std::move(interaction), [](PanelHost* h) { return new CEff_F_RMMulti(h); },
        kManovaRepeatedInteractionTestId, "CEff_F_RMMulti (T2)");
    add(
        RepeatedHost<PowerFRepMBetween>(3), [](PanelHost* h) { return new CEff_F_RMM_Omni(h); },
        kRepeatedBetweenTestId, "CEff_F_RMM_Omni");
    add(
        MultivariateHost<PowerFRepMMultiWithin>(100),
        [](PanelHost* h) { return new CEff_F_RMM_MeanCov(h, 1); }, kManovaRepeatedWithinTestId,
        "CEff_F_RMM_MeanCov (Wilks, MP)");
    add(
        MultivariateHost<PowerFRepMMultiBetween>(107),
        [](PanelHost* h) { return new CEff_SelectRMM_Eta_MeanCov(h); },
        kManovaRepeatedBetweenTestId, "CEff_SelectRMM_Eta_MeanCov");
    add(
        RepeatedHost<PowerFRepMWithin>(2), [](PanelHost* h) { return new CEff_F_RM_Special(h); },
        kRepeatedWithinTestId, "CEff_F_RM_Special (spec. 2)");

    // Rows of three, each panel under its caption.
    const int gap = 14, captionHeight = 18, perRow = 3;
    std::vector<int> rowHeights((sheets.size() + perRow - 1) / perRow, 0);
    int width = 0;
    for (size_t i = 0; i < sheets.size(); i += perRow) {
        int rowWidth = gap;
        for (size_t j = i; j < std::min(sheets.size(), i + perRow); ++j) {
            rowWidth += std::max(sheets[j].picture.width(), 200) + gap;
            rowHeights[i / perRow] = std::max(rowHeights[i / perRow], sheets[j].picture.height());
        }
        width = std::max(width, rowWidth);
    }
    int height = gap;
    for (int h : rowHeights) height += h + captionHeight + gap;
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(QColor(236, 236, 236));
    QPainter p(&image);
    p.setFont(platform::MakeFont(QStringLiteral("Lucida Sans Unicode"), 8.0, true));
    int y = gap;
    for (size_t i = 0; i < sheets.size(); i += perRow) {
        int x = gap;
        for (size_t j = i; j < std::min(sheets.size(), i + perRow); ++j) {
            const Sheet& sheet = sheets[j];
            p.setPen(Qt::black);
            p.drawText(QRect(x, y, std::max(sheet.picture.width(), 200) + gap, captionHeight),
                       Qt::AlignLeft, sheet.caption);
            p.drawPixmap(x, y + captionHeight, sheet.picture);
            p.setPen(QColor(120, 120, 120));
            p.drawRect(
                QRect(QPoint(x, y + captionHeight), sheet.picture.size()).adjusted(-1, -1, 0, 0));
            x += std::max(sheet.picture.width(), 200) + gap;
        }
        y += rowHeights[i / perRow] + captionHeight + gap;
    }
    p.end();
    return image.save(QString::fromLocal8Bit(argv[1])) ? 0 : 1;
}
