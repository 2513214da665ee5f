// Draws the distribution graph of a two-tailed t test of two independent
// means (post hoc: d = 0.5, alpha = 0.05, 50 per group) and of its one-tailed
// form into PNGs, to be compared by eye with what the graph should show: the
// red H0 and dashed blue H1 densities, the shaded tails and beta area, the
// green critical lines, the critical value and the alpha and beta labels.
// Usage: plot_dist_picture dist_two_tailed.png dist_one_tailed.png

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <cstdio>

#include "analysis/parameter_names.h"
#include "analysis/plot_data.h"
#include "app/results/distribution_graph.h"
#include "power/t/power_t_means.h"
#include "ui/graphics/mathtext/label_fonts.h"
#include "ui/graphics/mathtext/symbol_table.h"

namespace {

bool Picture(mathtext::LabelFontSets& fonts, const char* tails, const char* path) {
    PowerTMeans test;
    PropertyList inputs;
    test.BuildInputList(kPostHoc, &inputs);
    const std::pair<const char*, const char*> texts[] = {{"Tail(s)", tails},
                                                         {"Effect size d", "0.5"},
                                                         {"$\\alpha$ err prob", "0.05"},
                                                         {"Sample size group 1", "50"},
                                                         {"Sample size group 2", "50"}};
    for (const auto& [label, text] : texts) {
        Property* input = inputs.Find(label);
        if (!input) {
            std::fprintf(stderr, "no input %s\n", label);
            return false;
        }
        input->SetText(text);
    }
    if (CalculateWithInputErrors(&test, kPostHoc, &inputs) != kCalculateDone) {
        std::fprintf(stderr, "calculation failed: %s\n", test.GetMessage().c_str());
        return false;
    }
    PlotData data;
    test.MakeDistributionPlot(&data);
    // A pane of 560 x 280 points drawn at two pixels per point.
    QImage image(1120, 560, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(2, 2);
        DistributionGraph graph(&fonts);
        graph.Draw(&p, QRectF(0, 0, 560, 280), data, test.oneTailed);
    }
    return image.save(QString::fromLocal8Bit(path));
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s two_tailed.png one_tailed.png\n", argv[0]);
        return 2;
    }
    mathtext::InitSymbolFonts();
    mathtext::UpdateSymbolFontScales();
    bool ok = false;
    {
        mathtext::LabelFontSets fonts;
        fonts.MatchLabelFonts();
        ok = Picture(fonts, "Two", argv[1]) && Picture(fonts, "One", argv[2]);
    }
    mathtext::FreeSymbolFonts();
    mathtext::ClearSymbolMap();
    return ok ? 0 : 1;
}
