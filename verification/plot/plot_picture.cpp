// Draws an X-Y plot into a PNG, to be compared by eye with what the plot
// should look like: a title and a two-line subtitle, two curves (a smooth one
// with a shadow and circle markers, a straight one broken by an invalid point,
// with a fill and filled triangles), dashed and dotted grid lines, axis
// labels with raised exponents and the rotated y-axis title.
// Usage: plot_picture out.png

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <cmath>
#include <cstdio>

#include "platform/painting.h"
#include "ui/graphics/mathtext/label_fonts.h"
#include "ui/graphics/mathtext/symbol_table.h"
#include "ui/graphics/plot/xy_plot.h"

using namespace plot;

namespace {

// Plain text as the program's labels write it: upright, in one box.
QString PlainLabel(const std::string& text) {
    return QStringLiteral("\\mbox{") + QString::fromStdString(text) + QStringLiteral("}");
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s out.png\n", argv[0]);
        return 2;
    }
    mathtext::InitSymbolFonts();
    mathtext::UpdateSymbolFontScales();
    bool ok = false;
    {
        mathtext::LabelFontSets fonts;
        fonts.MatchLabelFonts();

        // Sample sizes up to four million against an error rate of 1e-5 scale.
        std::vector<CurvePoint> smooth, straight;
        for (int i = 0; i <= 16; ++i) {
            const double n = 0.25e6 * i;
            smooth.push_back({n, 6e-5 * std::exp(-n / 1.2e6), 0, 0, true});
            straight.push_back({n, 4.5e-5 * (1.0 - n / 4.4e6) + 3e-6 * (i % 2), 0, 0, true});
        }
        straight[9].valid = false;

        const float width = 800, height = 560;
        const float unit = 0.75f * width, u = width / 420;
        XYPlot xy(QStringLiteral("picture"), &fonts.labelFonts, &fonts.romanItalicFonts);
        xy.SetTickLabelStyle(8, &fonts.labelFonts, &fonts.labelItalicFonts);
        xy.yMinorTickLength = xy.xMinorTickLength = 0.01f;
        xy.yMajorTickLength = xy.xMajorTickLength = 0.015f;
        xy.marginTop = 7 * u;
        xy.marginBottom = 5 * u;
        xy.marginLeft = 3 * u;
        xy.marginRight = 16 * u;
        xy.SetTitle(QStringLiteral("\\mbox{Plot of the error rate against the sample size}"), 10,
                    nullptr, nullptr);
        xy.SetSubtitle(
            "t tests - Means: Difference between two independent means (two groups), "
            "Tail(s) = Two, Allocation ratio N2/N1 = 1, effect size d = 0.01",
            100, 9, nullptr, nullptr, PlainLabel);
        xy.SetXAxisTitle(QStringLiteral("\\mbox{Total sample size}"), 9, nullptr, nullptr);
        xy.SetYAxisTitle(QStringLiteral("\\alpha \\mbox{ err prob}"), 9, nullptr, nullptr);

        xy.AddCurve(std::make_unique<DataCurve>(
            &smooth, platform::MakePen(platform::FromArgb(0xFFFF0000), 1.2), 0.3f, true,
            std::make_unique<CurveStyle>(0, 0, 4,
                                         platform::MakePen(platform::FromArgb(0xFFFF0000), 1.2),
                                         QBrush(Qt::white), 0.007f, false)));
        auto second = std::make_unique<DataCurve>(
            &straight, platform::MakePen(platform::FromArgb(0xFF0000FF), 1.2), 0.0f, false,
            std::make_unique<CurveStyle>(0, 0, 12,
                                         platform::MakePen(platform::FromArgb(0xFF0000FF), 1.2),
                                         QBrush(platform::FromArgb(0xFF0000FF)), 0.0084f, true));
        second->SetFillBrush(true, QBrush(platform::FromArgb(0x200000FF)));
        xy.AddCurve(std::move(second));

        const float scale = 2.0f;
        QImage image(static_cast<int>(width * scale), static_cast<int>(height * scale),
                     QImage::Format_RGB32);
        image.fill(platform::FromArgb(0xFFFAFAFA));
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(scale, scale);
        PlotRect area;
        xy.DrawInRect(&p, QRectF(0, 0, width, height), unit, 0, true, &area);
        std::printf("plot area: left %.2f bottom %.2f width %.2f height %.2f\n", area.left,
                    area.bottom, area.width, area.height);
        p.end();
        ok = image.save(QString::fromLocal8Bit(argv[1]));
    }
    mathtext::FreeSymbolFonts();
    mathtext::ClearSymbolMap();
    return ok ? 0 : 1;
}
