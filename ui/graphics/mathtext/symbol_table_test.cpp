#include "ui/graphics/mathtext/symbol_table.h"

#include <set>

#include "platform/widget_test_main.h"
#include "ui/graphics/mathtext/label_fonts.h"

namespace mathtext {
namespace {

// Every test starts and ends without the process-wide map.
class SymbolTableTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_EQ(SymbolMapPointer(), nullptr); }
    void TearDown() override {
        FreeSymbolFonts();
        ClearSymbolMap();
    }
};

TEST_F(SymbolTableTest, MapHoldsEveryNameOfTheTableOnce) {
    EXPECT_EQ(FindSymbol(QStringLiteral("alpha")), nullptr);
    SymbolMap* map = InitSymbolFonts();
    ASSERT_EQ(map, SymbolMapPointer());
    ASSERT_EQ(SymbolTableSize(), 215);
    EXPECT_EQ(map->size(), 215u);
    std::set<int> fonts;
    for (int i = 0; i < SymbolTableSize(); ++i) {
        const SymbolEntry& e = SymbolTable()[i];
        CSymbol* s = FindSymbol(QString::fromUtf16(e.name));
        ASSERT_NE(s, nullptr) << i;
        EXPECT_EQ(s->Code(), e.glyph);
        EXPECT_EQ(s->FontRef(), StaticFontRef(e.fontRef));
        fonts.insert(e.fontRef);
    }
    EXPECT_EQ(fonts, (std::set<int>{1, 2, 3, 5, 8, 9, 10, 12}));
    EXPECT_EQ(SymbolTable()[SymbolTableSize()].name, nullptr);

    CSymbol* diamondsuit = FindSymbol(QStringLiteral("diamondsuit"));
    EXPECT_EQ(diamondsuit->Code(), 0x007D);
    EXPECT_EQ(diamondsuit->FontRef()->font->FamilyName(), QStringLiteral("cmsy10"));
    EXPECT_EQ(FindSymbol(QStringLiteral("le"))->Code(), FindSymbol(QStringLiteral("leq"))->Code());
    EXPECT_NE(FindSymbol(QStringLiteral("Join")), FindSymbol(QStringLiteral("bowtie")));
    EXPECT_EQ(FindSymbol(QStringLiteral("Join"))->Code(), 0xE000);
    EXPECT_EQ(FindSymbol(QStringLiteral("Alpha")), nullptr);
    EXPECT_EQ(FindSymbol(QString()), nullptr);

    ClearSymbolMap();
    EXPECT_EQ(SymbolMapPointer(), nullptr);
    EXPECT_EQ(FindSymbol(QStringLiteral("alpha")), nullptr);
}

TEST_F(SymbolTableTest, InstalledFontsDrawTheirSymbolsAndMissingOnesNothing) {
    InitSymbolFonts();
    struct Case {
        const char* name;
        bool ink;
    };
    const Case cases[] = {
        {"alpha", true},  {"diamondsuit", true}, {"sum", true},     {"_int", true},
        {"lhd", true},    {"hbar", true},        {"'", true},       {"cong", true},
        {"neq", true},    {"(", true},           {"kappa", true},   {"leq", true},
        {"cdots", false}, {"check", false},      {"bowtie", false},  // no such family or code
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const SymbolBox box = FindSymbol(QString::fromLatin1(c.name))->Measure(1.0f, false, false);
        EXPECT_EQ(box.inkHeight > 0.0f && box.inkWidth > 0.0f, c.ink);
        if (!c.ink) {
            EXPECT_EQ(box.advance, 0.0f);
        }
    }
    // The private-area code of the symbol font reaches the same glyph as its
    // low byte: "cong" is U+F040, the font maps 0x40.
    CSymbol at(QString(), 0x40, FindSymbol(QStringLiteral("cong"))->FontRef());
    EXPECT_FLOAT_EQ(at.Measure(1, false, false).inkWidth,
                    FindSymbol(QStringLiteral("cong"))->Measure(1, false, false).inkWidth);
}

TEST_F(SymbolTableTest, ScaleMatchingAgainstTheTextFont) {
    InitSymbolFonts();
    UpdateSymbolFontScales();
    SymbolFontRef* text = TextFontRef();
    SymbolFontRef* cmr = StaticFontRef(1);
    // cmr10's "m" as high as the text font's.
    CSymbol m(QString(), u'm', cmr);
    CSymbol textM(QString(), u'm', text);
    EXPECT_NEAR(m.Measure(1, false, false).inkAscent, textM.Measure(1, false, false).inkAscent,
                1e-4);
    EXPECT_NE(cmr->matchScale, 1.0f);
    for (int n : {2, 3, 4, 5, 6, 7, 8, 15})
        EXPECT_EQ(StaticFontRef(n)->matchScale, cmr->matchScale);
    EXPECT_EQ(StaticFontRef(9)->matchScale, 1.0f);  // msam10 is not matched
    // cmmi10 keeps the "M"-based ascent scale, cmr10 ends with the "0"-based one.
    SymbolFontRef probe(cmr->font, true, false);
    probe.matchScale = cmr->matchScale;
    const float byM = probe.MatchGlyphSize(text, u'M', u'M');
    probe.ascentScale = byM;
    const float byZero = probe.MatchGlyphSize(text, u'0', u'0');
    EXPECT_EQ(StaticFontRef(3)->ascentScale, byM);
    EXPECT_EQ(cmr->ascentScale, byZero);
    EXPECT_NE(byM, byZero);
    EXPECT_GE(byM, 1.0f);
    // Missing "starmath" keeps 1.
    EXPECT_EQ(StaticFontRef(12)->matchScale, 1.0f);
    // Symbol's "p" matched to the text font's "m".
    CSymbol p(QString(), 0x70, StaticFontRef(10));
    EXPECT_NEAR(p.Measure(1, false, false).inkAscent, textM.Measure(1, false, false).inkAscent,
                1e-4);

    // Running it again gives the same scales, not ratios of the matched ones.
    const float once = cmr->matchScale;
    const float ascentOnce = cmr->ascentScale;
    UpdateSymbolFontScales();
    EXPECT_EQ(cmr->matchScale, once);
    EXPECT_EQ(cmr->ascentScale, ascentOnce);
}

TEST_F(SymbolTableTest, LabelFontSetsUseTheirFonts) {
    InitSymbolFonts();
    LabelFontSets sets;
    EXPECT_EQ(sets.romanFonts.FontRef(), TextFontRef());
    EXPECT_EQ(sets.plotRomanFonts.FontRef(), TextFontRef());
    EXPECT_EQ(sets.mathItalicFonts.FontRef(), MathItalicFontRef());
    EXPECT_EQ(sets.romanItalicFonts.FontRef(), ItalicTextFontRef());
    SymbolFontRef* label = sets.labelFonts.FontRef();
    SymbolFontRef* italic = sets.labelItalicFonts.FontRef();
    EXPECT_FALSE(label->sharedFont);
    EXPECT_TRUE(label->font->HasFamily());
    EXPECT_EQ(italic->font->Style(), kStyleItalic);
    EXPECT_EQ(label->matchScale, 1.0f);
    UpdateSymbolFontScales();
    sets.MatchLabelFonts();
    CSymbol m(QString(), u'm', label);
    CSymbol textM(QString(), u'm', TextFontRef());
    EXPECT_NEAR(m.Measure(1, false, false).inkAscent, textM.Measure(1, false, false).inkAscent,
                1e-4);
}

}  // namespace
}  // namespace mathtext
