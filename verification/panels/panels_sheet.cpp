// Draws the one-proportion, two-proportions, variance-ratio and
// goodness-of-fit panels side by side, each after "Calculate" on its
// defaults, with its form number and class above it, to look at clipped
// labels and the layout. The goodness-of-fit panel is also shown in the
// last-cell mode with a column that sums past 1.
// Usage (on an X display, e.g. under xvfb-run):
//   panels_sheet out.png

#include <QAbstractButton>
#include <QApplication>
#include <QPainter>
#include <QPixmap>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

#include "analysis/property.h"
#include "app/panels/goodness_of_fit_form.h"
#include "app/panels/proportions_form.h"
#include "app/panels/variance_ratio_form.h"
#include "platform/environment.h"
#include "platform/fonts.h"
#include "ui/grid/grid_ctrl.h"

namespace {

struct Sheet {
    QString caption;
    QPixmap picture;
};

Sheet Picture(CEffectSizePanel* panel, const char* name,
              const std::function<void(CEffectSizePanel*)>& prepare = {}) {
    panel->Create(nullptr, QPoint(0, 0));
    panel->show();
    if (prepare) {
        prepare(panel);
    } else {
        panel->Button(CEffectSizePanel::kCalculateButtonId)->click();
    }
    QCoreApplication::processEvents();
    return {QStringLiteral("%1 %2").arg(panel->TemplateId()).arg(QString::fromLatin1(name)),
            panel->grab()};
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s out.png\n", argv[0]);
        return 2;
    }
    auto application = platform::CreateApplication(argc, argv);
    PropertyList lastCellMode;
    SetNamedLong(&lastCellMode, "cgf_inmode", 1);
    SetNamedLong(&lastCellMode, "cgf_ncells", 3);
    for (const auto& [key, value] :
         {std::pair{"cgf_pp0", 0.5}, {"cgf_pp1", 0.3}, {"cgf_pa0", 0.7}, {"cgf_pa1", 0.6}})
        SetNamedDouble(&lastCellMode, key, value);

    std::vector<std::unique_ptr<CEffectSizePanel>> panels;
    panels.emplace_back(new CEff_One_Prop(nullptr));
    panels.emplace_back(new CEff_Two_Prop(nullptr));
    panels.emplace_back(new CEff_Two_Vars(nullptr));
    panels.emplace_back(new CEff_CHI_GoF_Cont(nullptr));
    panels.emplace_back(new CEff_CHI_GoF_Cont(nullptr));
    std::vector<Sheet> sheets = {
        Picture(panels[0].get(), "CEff_One_Prop"),
        Picture(panels[1].get(), "CEff_Two_Prop"),
        Picture(panels[2].get(), "CEff_Two_Vars"),
        Picture(panels[3].get(), "CEff_CHI_GoF_Cont"),
        Picture(panels[4].get(), "CEff_CHI_GoF_Cont (last cell computed)",
                [&lastCellMode](CEffectSizePanel* panel) { panel->RestoreInputs(&lastCellMode); }),
    };

    // One row, each panel under its caption.
    const int gap = 14, captionHeight = 18;
    int width = gap, height = 0;
    for (const Sheet& sheet : sheets) {
        width += sheet.picture.width() + gap;
        height = std::max(height, sheet.picture.height());
    }
    height += 2 * gap + captionHeight;
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(QColor(236, 236, 236));
    QPainter p(&image);
    p.setFont(platform::MakeFont(QStringLiteral("Lucida Sans Unicode"), 8.0, true));
    int x = gap;
    for (const Sheet& sheet : sheets) {
        p.setPen(Qt::black);
        p.drawText(QRect(x, gap, sheet.picture.width() + gap, captionHeight), Qt::AlignLeft,
                   sheet.caption);
        p.drawPixmap(x, gap + captionHeight, sheet.picture);
        p.setPen(QColor(120, 120, 120));
        p.drawRect(
            QRect(QPoint(x, gap + captionHeight), sheet.picture.size()).adjusted(-1, -1, 0, 0));
        x += sheet.picture.width() + gap;
    }
    p.end();
    return image.save(QString::fromLocal8Bit(argv[1])) ? 0 : 1;
}
