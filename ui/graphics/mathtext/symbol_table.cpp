#include "ui/graphics/mathtext/symbol_table.h"

#include <QCoreApplication>
#include <array>
#include <iterator>

namespace mathtext {

namespace {

// The static fonts in the order in which InitSymbolFonts creates them.
struct FontSlot {
    const char* family;
    int style;
};
constexpr std::array<FontSlot, 15> kFontSlots = {{
    {"cmr10", kStyleRegular},
    {"cmex10", kStyleRegular},
    {"cmmi10", kStyleRegular},
    {"cmmib10", kStyleRegular},
    {"cmsy10", kStyleRegular},
    {"cmbsy10", kStyleRegular},
    {"cmcsc10", kStyleRegular},
    {"msbm10", kStyleRegular},
    {"eufm10", kStyleRegular},
    {"msam10", kStyleRegular},
    {"Symbol", kStyleRegular},
    {"Symbol", kStyleItalic},
    {"starmath", kStyleRegular},
    {"times new roman", kStyleRegular},
    {"times new roman", kStyleItalic},
}};

enum FontIndex {
    kCmr10,
    kCmex10,
    kCmmi10,
    kCmmib10,
    kCmsy10,
    kCmbsy10,
    kCmcsc10,
    kMsbm10,
    kEufm10,
    kMsam10,
    kSymbol,
    kSymbolItalic,
    kStarmath,
    kTimes,
    kTimesItalic,
};

CSymbolFont g_fonts[15] = {
    CSymbolFont(), CSymbolFont(), CSymbolFont(),
    CSymbolFont(), CSymbolFont(), CSymbolFont(),
    CSymbolFont(), CSymbolFont(), CSymbolFont(),
    CSymbolFont(), CSymbolFont(), CSymbolFont({}, 100.0f, kStyleItalic),
    CSymbolFont(), CSymbolFont(), CSymbolFont({}, 100.0f, kStyleItalic),
};

// Font, shared flag and ink-vertical flag of each static reference.
SymbolFontRef g_refs[15] = {
    SymbolFontRef(&g_fonts[kCmr10], true, false),
    SymbolFontRef(&g_fonts[kCmex10], true, true),
    SymbolFontRef(&g_fonts[kCmmi10], true, false),
    SymbolFontRef(&g_fonts[kCmmib10], true, false),
    SymbolFontRef(&g_fonts[kCmsy10], true, true),
    SymbolFontRef(&g_fonts[kCmsy10], true, true),
    SymbolFontRef(&g_fonts[kEufm10], true, false),
    SymbolFontRef(&g_fonts[kMsbm10], true, false),
    SymbolFontRef(&g_fonts[kMsam10], true, false),
    SymbolFontRef(&g_fonts[kSymbol], true, false),
    SymbolFontRef(&g_fonts[kSymbolItalic], true, false),
    SymbolFontRef(&g_fonts[kStarmath], true, true),
    SymbolFontRef(&g_fonts[kTimes], true, false),
    SymbolFontRef(&g_fonts[kTimesItalic], true, false),
    SymbolFontRef(&g_fonts[kCmcsc10], true, false),
};

SymbolMap* g_symbolMap = nullptr;

constexpr SymbolEntry kTable[] = {
    {u"alpha", 0x00AE, 3},
    {u"beta", 0x00AF, 3},
    {u"gamma", 0x00B0, 3},
    {u"delta", 0x00B1, 3},
    {u"epsilon", 0x00B2, 3},
    {u"varepsilon", 0x0022, 3},
    {u"zeta", 0x00B3, 3},
    {u"eta", 0x00B4, 3},
    {u"theta", 0x00B5, 3},
    {u"vartheta", 0x0023, 3},
    {u"iota", 0x00B6, 3},
    {u"kappa", 0x2219, 3},
    {u"lambda", 0x00B8, 3},
    {u"mu", 0x00B9, 3},
    {u"nu", 0x00BA, 3},
    {u"xi", 0x00BB, 3},
    {u"pi", 0x00BC, 3},
    {u"varpi", 0x0024, 3},
    {u"rho", 0x00BD, 3},
    {u"varrho", 0x0025, 3},
    {u"sigma", 0x00BE, 3},
    {u"varsigma", 0x0026, 3},
    {u"tau", 0x00BF, 3},
    {u"upsilon", 0x00C0, 3},
    {u"phi", 0x00C1, 3},
    {u"varphi", 0x0027, 3},
    {u"chi", 0x00C2, 3},
    {u"psi", 0x00C3, 3},
    {u"omega", 0x0021, 3},
    {u"GammaBig", 0x00A1, 1},
    {u"DeltaBig", 0x00A2, 1},
    {u"ThetaBig", 0x00A3, 1},
    {u"LambdaBig", 0x00A4, 1},
    {u"XiBig", 0x00A5, 1},
    {u"PiBig", 0x00A6, 1},
    {u"SigmaBig", 0x00A7, 1},
    {u"UpsilonBig", 0x00A8, 1},
    {u"PhiBig", 0x00A9, 1},
    {u"PsiBig", 0x00AA, 1},
    {u"OmegaBig", 0x00AD, 1},
    {u"'", 0x00A2, 10},
    {u"+", 0x002B, 1},
    {u"pm", 0x00A7, 5},
    {u"mp", 0x00A8, 5},
    {u"setminus", 0x006E, 5},
    {u"cdot", 0x00A2, 5},
    {u"times", 0x00A3, 5},
    {u"ast", 0x00A4, 5},
    {u"star", 0x003F, 3},
    {u"diamond", 0x00A6, 5},
    {u"circ", 0x00B1, 5},
    {u"bullet", 0x00B2, 5},
    {u"bigcirc", 0x00B0, 5},
    {u"bigtriangleup", 0x0034, 5},
    {u"-", 0x00A1, 5},
    {u"cap", 0x005C, 5},
    {u"cup", 0x005B, 5},
    {u"uplus", 0x005D, 5},
    {u"sqcap", 0x0075, 5},
    {u"sqcup", 0x0074, 5},
    {u"triangleleft", 0x002E, 3},
    {u"triangleright", 0x002F, 3},
    {u"lhd", 0x0043, 9},
    {u"rhd", 0x0042, 9},
    {u"unlhd", 0x0045, 9},
    {u"unrhd", 0x0044, 9},
    {u"bigtriangledown", 0x0035, 5},
    {u"div", 0x00A5, 5},
    {u"vee", 0x005F, 5},
    {u"wedge", 0x005E, 5},
    {u"oplus", 0x00A9, 5},
    {u"ominus", 0x00AA, 5},
    {u"otimes", 0x00AD, 5},
    {u"oslash", 0x00AE, 5},
    {u"odot", 0x00AF, 5},
    {u"dagger", 0x0079, 5},
    {u"ddagger", 0x007A, 5},
    {u"amalg", 0x0071, 5},
    {u"wr", 0x006F, 5},
    {u"hat", 0x005E, 1},
    {u"tilde", 0x007E, 1},
    {u"ddot", 0x00C4, 1},
    {u"dot", 0x005F, 1},
    {u"acute", 0x00B6, 1},
    {u"grave", 0x00B5, 1},
    {u"check", 0x0091, 12},
    {u"breve", 0x00B8, 1},
    {u"mathring", 0x00BA, 1},
    {u"<", 0x003C, 3},
    {u"leq", 0x2219, 5},
    {u"prec", 0x00C1, 5},
    {u"preceq", 0x00B9, 5},
    {u"ll", 0x00BF, 5},
    {u"subset", 0x00BD, 5},
    {u"subseteq", 0x00B5, 5},
    {u"sqsupseteq", 0x0076, 5},
    {u"sqsupset", 0x0040, 9},
    {u"in", 0x0032, 5},
    {u"vdash", 0x0060, 5},
    {u"smile", 0x0060, 9},
    {u"frown", 0x0061, 9},
    {u">", 0x003E, 3},
    {u"geq", 0x00B8, 5},
    {u"succ", 0x00C2, 5},
    {u"succeq", 0x00BA, 5},
    {u"gg", 0x00C0, 5},
    {u"supset", 0x00BE, 5},
    {u"supseteq", 0x00B6, 5},
    {u"sqsubseteq", 0x0077, 5},
    {u"sqsubset", 0x0041, 9},
    {u"ni", 0x0033, 5},
    {u"dashv", 0x0061, 5},
    {u"mid", 0x006A, 5},
    {u"parallel", 0x006B, 5},
    {u"propto", 0x002F, 5},
    {u"=", 0x003D, 1},
    {u"equiv", 0x00B4, 5},
    {u"sim", 0x00BB, 5},
    {u"simeq", 0x0027, 5},
    {u"asymp", 0x00B3, 5},
    {u"approx", 0x00BC, 5},
    {u"cong", 0xF040, 10},
    {u"bowtie", 0xE000, 5},
    {u"Join", 0xE000, 5},
    {u"models", 0xE000, 5},
    {u"doteq", 0xE000, 5},
    {u"perp", 0x003F, 5},
    {u"ge", 0x00B8, 5},
    {u"le", 0x2219, 5},
    {u"neq", 0x00B9, 10},
    {u"cdots", 0x0077, 12},
    {u"ddots", 0x007A, 12},
    {u"ldots", 0x0076, 12},
    {u"vdots", 0x0078, 12},
    {u"leftarrow", 0x00C3, 5},
    {u"LeftarrowBig", 0x0028, 5},
    {u"rightarrow", 0x0021, 5},
    {u"RightarrowBig", 0x0029, 5},
    {u"leftrightarrow", 0x0024, 5},
    {u"LeftrightarrowBig", 0x002C, 5},
    {u"mapsto", 0x0041, 5},
    {u"hookleftarrow", 0x00C0, 5},
    {u"leftharpoonup", 0x0028, 5},
    {u"leftharpoondown", 0x0029, 5},
    {u"rightleftharpoons", 0x00C0, 5},
    {u"longleftarrow", 0x00C3, 5},
    {u"LongleftarrowBig", 0x0028, 5},
    {u"longrightarrow", 0x0021, 5},
    {u"LongrightarrowBig", 0x0029, 5},
    {u"longleftrightarrow", 0x0024, 5},
    {u"LongleftrightarrowBig", 0x002C, 5},
    {u"longmapsto", 0x0041, 5},
    {u"hookrightarrow", 0x00C0, 5},
    {u"rightharpoonup", 0x002A, 5},
    {u"rightharpoondown", 0x002B, 5},
    {u"uparrow", 0x0012, 5},
    {u"UparrowBig", 0x002A, 5},
    {u"downarrow", 0x0022, 5},
    {u"DownarrowBig", 0x002B, 5},
    {u"updownarrow", 0x006C, 5},
    {u"UpdownarrowBig", 0x006D, 5},
    {u"leadsto", 0x00C0, 5},
    {u"nearrow", 0x0025, 5},
    {u"nwarrow", 0x002D, 5},
    {u"searrow", 0x0026, 5},
    {u"swarrow", 0x002E, 5},
    {u"aleph", 0x0040, 5},
    {u"hbar", 0x007D, 8},
    {u"imath", 0x007B, 3},
    {u"jmath", 0x007C, 3},
    {u"ell", 0x0060, 3},
    {u"wp", 0x003C, 3},
    {u"Re", 0x003C, 5},
    {u"Im", 0x003D, 5},
    {u"partial", 0x0040, 3},
    {u"infty", 0x0031, 5},
    {u"mho", 0x0066, 8},
    {u"prime", 0x0030, 5},
    {u"emptyset", 0x003B, 5},
    {u"nabla", 0x0072, 5},
    {u"top", 0x003D, 5},
    {u"bot", 0x003F, 5},
    {u"DiamondBig", 0x00A6, 5},
    {u"Box", 0x00A4, 9},
    {u"triangle", 0x004D, 9},
    {u"angle", 0x005C, 9},
    {u"forall", 0x0038, 5},
    {u"exists", 0x0039, 5},
    {u"neg", 0x003A, 5},
    {u"flat", 0x005B, 3},
    {u"natural", 0x005C, 5},
    {u"sharp", 0x005D, 5},
    {u"clubsuit", 0x007C, 5},
    {u"diamondsuit", 0x007D, 5},
    {u"heartsuit", 0x007E, 5},
    {u"spadesuit", 0x00C4, 5},
    {u"Fourier", 0x0046, 5},
    {u"gets", 0x00C3, 5},
    {u"Laplace", 0x004C, 5},
    {u"to", 0x0021, 5},
    {u"int", 0x005A, 2},
    {u"oint", 0x0049, 2},
    {u"prod", 0x0059, 2},
    {u"sum", 0x0058, 2},
    {u"_int", 0x0052, 2},
    {u"_oint", 0x0048, 2},
    {u"_prod", 0x0051, 2},
    {u"_sum", 0x0050, 2},
    {u"{", 0x007B, 10},
    {u"}", 0x007D, 10},
    {u"(", 0x0028, 10},
    {u")", 0x0029, 10},
    {u"[", 0x005B, 10},
    {u"]", 0x005D, 10},
    {u"|", 0x007C, 10},
    {nullptr, 0, 0},
};

// Fonts hold font-system objects that must go before the application
// object does, also when nobody tore them down.
void FreeAtApplicationExit() {
    FreeSymbolFonts();
}

}  // namespace

const SymbolEntry* SymbolTable() {
    return kTable;
}
int SymbolTableSize() {
    return static_cast<int>(std::size(kTable)) - 1;
}

SymbolFontRef* StaticFontRef(int number) {
    if (number < 1 || number > kStaticFontRefCount) return nullptr;
    return &g_refs[number - 1];
}

SymbolMap* InitSymbolFonts() {
    for (size_t i = 0; i < kFontSlots.size(); ++i) {
        g_fonts[i].Create(QString::fromLatin1(kFontSlots[i].family), 100.0f, kFontSlots[i].style);
    }
    if (QCoreApplication::instance()) {
        static bool registered = false;
        if (!registered) {
            qAddPostRoutine(FreeAtApplicationExit);
            registered = true;
        }
    }
    auto* map = new SymbolMap;
    for (const SymbolEntry* e = kTable; e->name; ++e) {
        const QString name = QString::fromUtf16(e->name);
        if (map->count(name)) continue;
        (*map)[name] = new CSymbol(name, e->glyph, StaticFontRef(e->fontRef));
    }
    g_symbolMap = map;
    return map;
}

SymbolMap* SymbolMapPointer() {
    return g_symbolMap;
}

CSymbol* FindSymbol(const QString& name) {
    if (!g_symbolMap) return nullptr;
    const auto it = g_symbolMap->find(name);
    return it == g_symbolMap->end() ? nullptr : it->second;
}

void UpdateSymbolFontScales() {
    SymbolFontRef* text = StaticFontRef(13);
    SymbolFontRef* cmr = StaticFontRef(1);
    // Every ratio below includes the scales already in place; starting from
    // 1 makes a second run give the same scales instead of undoing the first.
    for (SymbolFontRef& ref : g_refs) ref.matchScale = ref.ascentScale = 1.0f;
    cmr->matchScale = cmr->MatchGlyphExtent(text, u'm', u'm');
    cmr->MatchGlyphSize(text, u'M', u'M');
    g_fonts[kCmr10].ReleaseFont();
    for (int n : {2, 3, 4, 5, 6, 15, 8, 7}) StaticFontRef(n)->matchScale = cmr->matchScale;
    StaticFontRef(3)->ascentScale = cmr->ascentScale;
    StaticFontRef(10)->matchScale = StaticFontRef(10)->MatchGlyphExtent(text, 0x70, u'm');
    g_fonts[kSymbol].ReleaseFont();
    StaticFontRef(11)->matchScale = StaticFontRef(11)->MatchGlyphExtent(text, 0x70, u'm');
    g_fonts[kSymbolItalic].ReleaseFont();
    StaticFontRef(12)->matchScale = StaticFontRef(12)->MatchGlyphExtent(text, 0xE0, u'm');
    cmr->MatchGlyphSize(text, u'0', u'0');
    g_fonts[kStarmath].ReleaseFont();
    StaticFontRef(14)->matchScale = StaticFontRef(14)->MatchGlyphExtent(text, u'm', u'm');
    g_fonts[kTimesItalic].ReleaseFont();
    g_fonts[kSymbol].ReleaseFont();
    g_fonts[kTimes].ReleaseFont();
}

void FreeSymbolFonts() {
    for (CSymbolFont& f : g_fonts) f.Free();
}

void ClearSymbolMap() {
    if (!g_symbolMap) return;
    for (auto& [name, symbol] : *g_symbolMap) delete symbol;
    delete g_symbolMap;
    g_symbolMap = nullptr;
}

}  // namespace mathtext
