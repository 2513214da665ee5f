#include "ui/graphics/mathtext/symbol_font.h"

#include <QImage>
#include <QPainter>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/fonts.h"
#include "platform/widget_test_main.h"

namespace mathtext {
namespace {

// Metrics of glyphs read from the font files by the generator beside the
// table (verification/mathtext/glyph_metrics.py), in design units.
struct ReferenceGlyph {
    std::string family;
    char16_t code;
    double upem, winAscent, winDescent, advance, xmin, ymin, xmax, ymax;
};

std::vector<ReferenceGlyph> ReadReference() {
    std::ifstream in(std::string(QUORIX_SOURCE_DIR) + "/verification/mathtext/glyph_metrics.tsv");
    std::vector<ReferenceGlyph> rows;
    std::string line;
    std::getline(in, line);  // header
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        ReferenceGlyph g;
        std::string code;
        std::getline(fields, g.family, '\t');
        std::getline(fields, code, '\t');
        g.code = static_cast<char16_t>(std::stoul(code, nullptr, 16));
        fields >> g.upem >> g.winAscent >> g.winDescent >> g.advance >> g.xmin >> g.ymin >>
            g.xmax >> g.ymax;
        rows.push_back(g);
    }
    return rows;
}

TEST(GlyphMetrics, AgreeWithTheFontFiles) {
    const auto rows = ReadReference();
    ASSERT_GT(rows.size(), 40u);
    for (const auto& g : rows) {
        SCOPED_TRACE(g.family + " " + std::to_string(static_cast<int>(g.code)));
        CSymbolFont font(QString::fromStdString(g.family), 100.0f, kStyleRegular);
        ASSERT_TRUE(font.HasFamily());
        EXPECT_EQ(font.EmHeight(), g.upem);
        EXPECT_EQ(font.CellAscent(), g.winAscent);
        EXPECT_EQ(font.CellDescent(), g.winDescent);
        SymbolFontRef ref(&font, true, false);
        CSymbol symbol(QString(), g.code, &ref);
        ASSERT_TRUE(symbol.ComputeMetrics());
        const double ds = 100.0 / g.upem;
        // To rounding, except the ink bottom: the font system's outline of
        // the display integral ends one design unit above the font's.
        const double tol = 1e-3;
        const double inkTol = ds;
        EXPECT_NEAR(symbol.abcA, g.xmin * ds * 1.03, tol);
        EXPECT_NEAR(symbol.abcB, (g.xmax - g.xmin) * ds * 1.03, tol);
        EXPECT_NEAR(symbol.abcA + symbol.abcB + symbol.abcC, g.advance * ds * 1.03, tol);
        EXPECT_NEAR(symbol.cellAscent, g.winAscent * ds, tol);
        EXPECT_NEAR(symbol.cellDescent, g.winDescent * ds, tol);
        EXPECT_NEAR(symbol.inkLeft, g.xmin * ds, tol);
        EXPECT_NEAR(symbol.inkWidth, (g.xmax - g.xmin) * ds, tol);
        EXPECT_NEAR(symbol.inkTotalHeight, (g.ymax - g.ymin) * ds, inkTol);
        EXPECT_NEAR(symbol.inkTop, std::max(g.ymax, 0.0) * ds, tol);
        EXPECT_NEAR(symbol.inkDepth, std::max(-g.ymin, 0.0) * ds, inkTol);
        // A glyph that stays above the baseline tells how far: inkRaise is
        // minus the gap below its ink.
        EXPECT_NEAR(symbol.inkRaise, std::min(-g.ymin, 0.0) * ds, inkTol);
    }
}

TEST(GlyphMetrics, ScaleWithSizeAndReferenceButNotWithTheScreen) {
    CSymbolFont font(QStringLiteral("cmmi10"));
    SymbolFontRef ref(&font, true, false);
    CSymbol alpha(QString(), 0x00AE, &ref);
    const SymbolBox one = alpha.Measure(1.0f, false, false);
    ref.matchScale = 2.0f;
    ref.ascentScale = 1.5f;
    const SymbolBox box = alpha.Measure(0.1f, false, false);
    EXPECT_FLOAT_EQ(box.advance, one.advance * 0.2f);
    EXPECT_FLOAT_EQ(box.inkAscent, one.inkAscent * 0.2f);
    EXPECT_FLOAT_EQ(box.ascent, one.ascent * 0.3f);  // ascent scale on the cell only
    EXPECT_FLOAT_EQ(box.height, one.height * 0.2f);
    EXPECT_GT(one.inkWidth, 0.0f);

    // Ink-vertical fonts take line ascent and descent from the ink.
    ref.inkVertical = true;
    const SymbolBox ink = alpha.Measure(1.0f, false, false);
    EXPECT_FLOAT_EQ(ink.ascent, ink.inkAscent);
    EXPECT_FLOAT_EQ(ink.descent, ink.inkDescent);
    EXPECT_FLOAT_EQ(ink.height, ink.inkAscent + ink.inkDescent);
}

TEST(GlyphMetrics, TrimmingRemovesTheSideBearingsAtEverySize) {
    CSymbolFont font(QStringLiteral("cmr10"));
    SymbolFontRef ref(&font, true, false);
    CSymbol m(QString(), u'm', &ref);
    for (float size : {1.0f, 0.12f}) {
        SCOPED_TRACE(size);
        const SymbolBox plain = m.Measure(size, false, false);
        const SymbolBox left = m.Measure(size, true, false);
        EXPECT_NEAR(left.advance, plain.advance - m.abcA * size, 1e-4);
        EXPECT_NEAR(left.inkLeft, plain.inkLeft - m.abcA * size, 1e-4);
        const SymbolBox right = m.Measure(size, false, true);
        EXPECT_NEAR(right.advance, plain.advance - m.abcC * size, 1e-4);
        EXPECT_GE(right.advance + 1e-5, right.inkLeft + right.inkWidth);
    }
}

TEST(GlyphMetrics, MissingFamilyOrGlyphMeasuresAndDrawsNothing) {
    // Fontconfig would hand out some other font for these names.
    EXPECT_EQ(platform::InstalledFamily(QStringLiteral("starmath")), QString());
    EXPECT_EQ(platform::InstalledFamily(QStringLiteral("cmcsc10")), QString());
    EXPECT_EQ(platform::InstalledFamily(QStringLiteral("cmmi10")), QStringLiteral("cmmi10"));
    EXPECT_TRUE(platform::InstalledFamily(QStringLiteral("Symbol"))
                    .startsWith(QStringLiteral("Standard Symbols PS")));

    CSymbolFont starmath(QStringLiteral("starmath"));
    EXPECT_FALSE(starmath.HasFamily());
    EXPECT_EQ(starmath.EmHeight(), 0.0f);
    EXPECT_EQ(starmath.GetFont(), nullptr);
    CSymbolFont cmsy(QStringLiteral("cmsy10"));
    SymbolFontRef missingFamily(&starmath, true, true);
    SymbolFontRef missingGlyph(&cmsy, true, true);
    CSymbol cdots(QString(), 0x0077, &missingFamily);
    CSymbol uparrow(QString(), 0x0012, &missingGlyph);  // a code the font's map lacks

    QImage image(200, 200, QImage::Format_ARGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    const QBrush black(Qt::black);
    for (CSymbol* s : {&cdots, &uparrow}) {
        SymbolBox box;
        EXPECT_EQ(s->Draw(&painter, 50, 150, &black, &box, 1.0f, false, false, true), 0.0f);
        EXPECT_EQ(box.inkHeight, 0.0f);
        EXPECT_EQ(box.height, 0.0f);
    }
    painter.end();
    EXPECT_EQ(image.pixel(0, 0), image.pixel(100, 100));
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 200; ++x) ASSERT_EQ(image.pixel(x, y), qRgb(255, 255, 255));
}

TEST(GlyphMetrics, DrawnInkLiesWhereTheBoxSays) {
    CSymbolFont font(QStringLiteral("cmmi10"));
    SymbolFontRef ref(&font, true, false);
    CSymbol beta(QString(), 0x00AF, &ref);
    QImage image(300, 300, QImage::Format_ARGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    const QBrush black(Qt::black);
    SymbolBox box;
    const float x = 50, y = 200;
    beta.Draw(&painter, x, y, &black, &box, 2.0f, false, false, true);
    painter.end();
    int left = 300, right = -1, top = 300, bottom = -1;
    for (int py = 0; py < 300; ++py) {
        for (int px = 0; px < 300; ++px) {
            if (qGray(image.pixel(px, py)) < 128) {
                left = std::min(left, px);
                right = std::max(right, px);
                top = std::min(top, py);
                bottom = std::max(bottom, py);
            }
        }
    }
    EXPECT_NEAR(left, x + box.inkLeft, 1.5);
    EXPECT_NEAR(right + 1, x + box.inkLeft + box.inkWidth, 1.5);
    EXPECT_NEAR(top, y - box.inkAscent, 1.5);
    EXPECT_NEAR(bottom + 1, y + box.inkDescent, 1.5);
}

TEST(SymbolContainer, RunOfGlyphsAddsAdvancesAndTakesExtremes) {
    CSymbolFont font(QStringLiteral("times new roman"));
    SymbolFontRef ref(&font, true, false);
    GlyphCache cache(&ref);

    std::unique_ptr<CSymbolContainer> empty(cache.MakeContainer(QString(), nullptr, 1.0f, 0, 0));
    SymbolBox box;
    empty->Measure(&box);
    EXPECT_EQ(box.advance, 0.0f);
    EXPECT_EQ(box.height, 0.0f);
    EXPECT_EQ(box.inkWidth, 0.0f);

    std::unique_ptr<CSymbolContainer> run(
        cache.MakeContainer(QStringLiteral("Ag"), nullptr, 0.5f, true, true));
    ASSERT_EQ(run->size(), 2u);
    const SymbolBox a = cache.GetSymbol(u'A')->Measure(0.5f, true, false);
    const SymbolBox g = cache.GetSymbol(u'g')->Measure(0.5f, false, true);
    EXPECT_FLOAT_EQ((*run)[1]->dx, a.advance);
    EXPECT_TRUE((*run)[0]->trimLeft);
    EXPECT_TRUE((*run)[1]->trimRight);
    run->Measure(&box);
    EXPECT_FLOAT_EQ(box.advance, a.advance + g.advance);
    EXPECT_FLOAT_EQ(box.inkAscent, std::max(a.inkAscent, g.inkAscent));
    EXPECT_FLOAT_EQ(box.inkDescent, g.inkDescent);
    EXPECT_FLOAT_EQ(box.inkWidth, a.advance + g.inkLeft + g.inkWidth - a.inkLeft);
    EXPECT_FLOAT_EQ(box.height, box.ascent + box.descent);

    // A run measures and draws the same box.
    SymbolBox drawn;
    QImage image(10, 10, QImage::Format_ARGB32);
    QPainter painter(&image);
    run->Draw(&painter, 3, 7, &drawn, true);
    EXPECT_FLOAT_EQ(drawn.advance, box.advance);
    EXPECT_FLOAT_EQ(drawn.inkAscent, box.inkAscent);
}

TEST(GlyphCache, OneSymbolPerCodeAndNoneWithoutFont) {
    CSymbolFont font(QStringLiteral("times new roman"));
    SymbolFontRef ref(&font, true, false);
    GlyphCache cache(&ref);
    EXPECT_EQ(cache.GetSymbol(u'x'), cache.GetSymbol(u'x'));
    CSymbol* high = cache.GetSymbol(0x2264);
    EXPECT_EQ(cache.GetSymbol(0x2265)->Code(), 0x2265);
    EXPECT_EQ(cache.GetSymbol(0x2264), high);
    GlyphCache none(nullptr);
    EXPECT_EQ(none.GetSymbol(u'x'), nullptr);
}

TEST(GlyphCache, WholeStringKeepsTheFontsAdvancesAndTrims) {
    CSymbolFont font(QStringLiteral("times new roman"));
    SymbolFontRef ref(&font, true, false);
    ref.matchScale = 0.5f;
    GlyphCache cache(&ref);
    SymbolBox box;
    const float advance = cache.DrawText(nullptr, QStringLiteral("Am"), 0, 0, nullptr, &box, 0.2f,
                                         false, false, false);
    // Liberation Serif: "A" 1479 and "m" 1593 of 2048 units; ink from x 20
    // to 1479 + 1561; "A" 1352 high.
    const float k = 100.0f / 2048.0f * 0.5f * 0.2f;
    EXPECT_NEAR(advance, (1479 + 1593) * k, 1e-4);
    EXPECT_NEAR(box.inkWidth, (1479 + 1561 - 20) * k, 1e-4);
    EXPECT_NEAR(box.inkAscent, 1352 * k, 1e-4);
    EXPECT_EQ(box.inkLeft, 0.0f);
    SymbolBox trimmed;
    cache.DrawText(nullptr, QStringLiteral("Am"), 0, 0, nullptr, &trimmed, 0.2f, true, true, false);
    EXPECT_NEAR(trimmed.advance, box.inkWidth, 1e-4);
}

}  // namespace
}  // namespace mathtext
