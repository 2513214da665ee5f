// Renders every label the program typesets into PNG sheets, to be compared by
// eye with the fonts: the parameter labels, the family and test names, axis
// titles and plot captions (one of them rotated by -90 degrees), and a page
// of constructs of the markup.
// Usage: mathtext_label_sheet labels.png constructs.png

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <cstdio>

#include "analysis/catalogue.h"
#include "analysis/parameter_names.h"
#include "analysis/power_analysis.h"
#include "app/frame/installed_families.h"
#include "app/widgets/ui_helpers.h"
#include "ui/graphics/mathtext/label_fonts.h"
#include "ui/graphics/mathtext/math_label.h"
#include "ui/graphics/mathtext/symbol_table.h"

using namespace mathtext;

namespace {

// Draws `texts` in columns; each entry with its markup in small print.
QImage Sheet(const QStringList& texts, LabelFontSets& fonts, int columns, float points, float scale,
             int cellW, int cellH, bool withRotated) {
    const int rows = (static_cast<int>(texts.size()) + columns - 1) / columns;
    const int extra = withRotated ? 260 : 0;
    QImage image(columns * cellW + extra, rows * cellH + 10, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QFont small(QStringLiteral("DejaVu Sans Mono"));
    small.setPixelSize(9);
    MathLabel label(QStringLiteral("sheet"), points, true, &fonts.labelFonts, &fonts.labelFonts,
                    SymbolMapPointer());
    for (int i = 0; i < texts.size(); ++i) {
        const int x = (i / rows) * cellW + 6, y = (i % rows) * cellH + 4;
        p.save();
        p.translate(x, y);
        p.scale(scale, scale);
        label.SetText(texts[i], true);
        label.Draw(&p, 0, 4, kAlignTop, kAlignLeft, 0, true);
        p.restore();
        p.setFont(small);
        p.setPen(QColor(120, 120, 160));
        p.drawText(QPointF(x, y + cellH - 5), texts[i]);
    }
    if (withRotated) {
        // An axis title as the plots set it: rotated, centred on its anchor.
        label.SetText(ToMathTextLabel("Power (1-$\\beta$ err prob)"), true);
        p.save();
        p.translate(columns * cellW + 60, rows * cellH / 2.0);
        p.scale(2.0, 2.0);
        label.Draw(&p, 0, 0, kAlignCentre, kAlignCentre, -90.0f, true);
        p.restore();
        label.SetText(QStringLiteral("$\\alpha$ err prob"), true);
        p.save();
        p.translate(columns * cellW + 160, rows * cellH / 2.0);
        p.scale(2.0, 2.0);
        label.Draw(&p, 0, 0, kAlignCentre, kAlignCentre, -90.0f, true);
        p.restore();
    }
    return image;
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s labels.png constructs.png\n", argv[0]);
        return 2;
    }
    InitSymbolFonts();
    UpdateSymbolFontScales();
    {
        LabelFontSets fonts;
        fonts.MatchLabelFonts();

        QStringList labels;
        for (int i = 0; i < kParameterNameCount; ++i)
            labels << QString::fromUtf8(ParameterNames[i]);
        InstallTestFamilies();
        BuildTestCatalogue();
        for (const TestList& family : TestCatalogue) {
            if (family.empty()) continue;
            labels << QString::fromStdString(family.front()->GetFamilyName());
            for (PowerAnalysis* test : family)
                labels << QString::fromStdString(test->GetTestName());
        }
        ClearTestCatalogue();
        // Axis titles and plot captions as the plots write them.
        labels << ToMathTextLabel("Total sample size") << ToMathTextLabel("$\\alpha$ err prob")
               << QStringLiteral("\\mbox{critical F = }\\; 2.8661")
               << QStringLiteral("{\\fgcolor{FFFF0000}\\mbox{α}}")
               << QStringLiteral("{\\fgcolor{FFFF0000}\\frac{\\mbox{α}}{2}}")
               << QStringLiteral("{\\fgcolor{FF0000FF}\\mbox{β}}");
        const bool ok1 = Sheet(labels, fonts, 4, 9.0f * 96.0f / 72.0f, 1.5f, 330, 34, true)
                             .save(QString::fromLocal8Bit(argv[1]));

        const QStringList constructs = {
            QStringLiteral("x^2_i \\quad x_i^2 \\quad x^{a^b} \\quad x_a_b"),
            QStringLiteral("\\frac{a+b}{c} \\quad \\frac{1}{\\frac{x}{y}}"),
            QStringLiteral(
                "\\sum_{i=1}^{n} x_i \\quad \\int\\limits_0^1 f \\quad \\prod\\nolimits_i"),
            QStringLiteral("\\sqrt{x} \\quad \\sqrt[3]{x+1} \\quad \\sqrt[123456]{x}"),
            QStringLiteral("{n \\choose k} \\quad {a \\atop b}"),
            QStringLiteral("\\fbox{x+y} \\quad \\overline{AB} \\quad \\underline{g}"),
            QStringLiteral("{\\fgcolor{FFFF0000}A} B \\bgcolor{FFFFFF00}{C} \\not= \\not<"),
            QStringLiteral(
                "\\alpha\\beta\\Gamma\\Delta \\leq \\geq \\times \\pm \\rightarrow \\infty"),
            QStringLiteral("\\left( \\frac{a}{b} \\right) \\mbox{plain $text$} \\sin x"),
            QStringLiteral("a\\,b\\:c\\;d\\!e \\quad f \\qquad g"),
        };
        MathLabel display(QStringLiteral("display"), 14.0f, false, &fonts.romanFonts,
                          &fonts.romanItalicFonts, SymbolMapPointer());
        QImage page(900, 80 * constructs.size() + 20, QImage::Format_RGB32);
        page.fill(Qt::white);
        QPainter p(&page);
        p.setRenderHint(QPainter::Antialiasing);
        for (int i = 0; i < constructs.size(); ++i) {
            p.save();
            p.translate(10, 20 + 80 * i);
            p.scale(2.0, 2.0);
            display.SetText(constructs[i], true);
            display.Draw(&p, 0, 14, kAlignBaseline, kAlignLeft, 0, true);
            // The measured box, to check it against the ink.
            p.setPen(QPen(QColor(0, 160, 0, 120), 0));
            p.drawRect(QRectF(0, 14 - display.Ascent(), display.Width(), display.Height()));
            p.restore();
        }
        p.end();
        const bool ok2 = page.save(QString::fromLocal8Bit(argv[2]));
        if (!ok1 || !ok2) return 1;
    }
    FreeSymbolFonts();
    ClearSymbolMap();
    return 0;
}
