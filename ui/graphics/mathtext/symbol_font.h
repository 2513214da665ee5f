#pragma once

// Glyphs of the math text: installed font families at an em size of 100, one
// glyph measured and drawn at any size, typeset runs of glyphs, and the glyph
// cache of a label font. Every metric is in units of an em of 100; the
// caller's size turns them into drawing units (a size of 0.1 draws 10 units
// to the em).

#include <QBrush>
#include <QPainterPath>
#include <QRawFont>
#include <QString>
#include <array>
#include <memory>
#include <vector>

class QPainter;

namespace mathtext {

inline constexpr int kStyleRegular = 0;
inline constexpr int kStyleItalic = 2;

// One installed font family at a fixed em size, with its design metrics.
class CSymbolFont {
  public:
    // An empty family name creates nothing, so that fonts can be constructed
    // statically before any application object exists.
    explicit CSymbolFont(const QString& familyName = {}, float emSize = 100.0f,
                         int style = kStyleRegular);
    virtual ~CSymbolFont();
    CSymbolFont(const CSymbolFont&) = delete;
    CSymbolFont& operator=(const CSymbolFont&) = delete;

    // Names the family to load from the installed fonts. The font and its
    // design metrics are read on first use: fifteen fonts are named at
    // start-up and a window shows few of them. A family that is not
    // installed leaves no font and zero metrics.
    void Create(const QString& familyName, float emSize, int style);
    // The drawing font, made on first use; null when there is no family.
    const QRawFont* GetFont();
    void ReleaseFont();
    // Deletes the family and the drawing font (the destructor's deletions).
    void Free();

    bool HasFamily() const { return Loaded().family_.isValid(); }
    const QString& FamilyName() const { return familyName_; }
    int Style() const { return style_; }
    float EmHeight() const { return Loaded().emHeight_; }
    float CellAscent() const { return Loaded().cellAscent_; }
    float CellDescent() const { return Loaded().cellDescent_; }
    // Design units to em-100 units; set when the drawing font is made.
    float DesignScale() const { return designScale_; }

  private:
    // Reads the named family and its metrics if that is still to be done.
    const CSymbolFont& Loaded() const;

    QString familyName_;
    int style_ = kStyleRegular;
    // Read by Loaded on first use, from const accessors too.
    mutable bool pending_ = false;
    mutable QRawFont family_;  // at its own units per em: design units
    bool hasDrawingFont_ = false;
    float emSize_ = 100.0f;
    mutable float emHeight_ = 0.0f;
    mutable float cellAscent_ = 0.0f;
    mutable float cellDescent_ = 0.0f;
    float designScale_ = 0.0f;
};

// Ten values of a measured glyph or run, in drawing units. Distances are
// positive unless stated.
struct SymbolBox {
    float ascent = 0;      // height above the baseline for line layout
    float descent = 0;     // depth below the baseline for line layout
    float inkAscent = 0;   // ink above the baseline
    float inkDescent = 0;  // ink below the baseline
    float advance = 0;
    float height = 0;
    float inkLeft = 0;   // left end of the ink from the origin
    float inkRaise = 0;  // ink bottom above the baseline, at most 0
    float inkWidth = 0;
    float inkHeight = 0;
};

// A symbol font as used: the font with its scale factors.
struct SymbolFontRef {
    SymbolFontRef(CSymbolFont* f, bool shared, bool inkVert)
        : font(f), sharedFont(shared), inkVertical(inkVert) {}
    ~SymbolFontRef();
    SymbolFontRef(const SymbolFontRef&) = delete;
    SymbolFontRef& operator=(const SymbolFontRef&) = delete;

    // Makes this font's glyph `here` as high in ink-to-cell proportion as
    // glyph `there` of `other`: stores and returns the ascent scale (>= 1).
    float MatchGlyphSize(SymbolFontRef* other, char16_t here, char16_t there);
    // The factor that makes the ink of `here` above the baseline as high as
    // that of `there` in `other`; 1 when either has none. Stores nothing.
    float MatchGlyphExtent(SymbolFontRef* other, char16_t here, char16_t there);

    CSymbolFont* font = nullptr;
    float sizeScale = 1.0f;
    float matchScale = 1.0f;
    float ascentScale = 1.0f;
    bool sharedFont = true;    // false: the reference deletes its font
    bool inkVertical = false;  // ascent and descent from the ink, not the cell
};

// Something that can be measured and drawn.
class CSymbolBase {
  public:
    virtual ~CSymbolBase() = default;
    // Measures into `box` and draws when `draw` is set; returns the advance.
    virtual float Draw(QPainter* painter, float x, float y, const QBrush* brush, SymbolBox* box,
                       float size, bool trimLeft, bool trimRight, bool draw) = 0;
    virtual SymbolBox Measure(float size, bool trimLeft, bool trimRight) = 0;
};

// One glyph of a symbol font.
class CSymbol : public CSymbolBase {
  public:
    CSymbol(const QString& text, char16_t code, SymbolFontRef* fontRef);

    float Draw(QPainter* painter, float x, float y, const QBrush* brush, SymbolBox* box, float size,
               bool trimLeft, bool trimRight, bool draw) override;
    SymbolBox Measure(float size, bool trimLeft, bool trimRight) override;
    // Reads the glyph's metrics once; false when the font has no such glyph
    // (or no family), and then everything measures 0 and nothing is drawn.
    bool ComputeMetrics();

    SymbolFontRef* FontRef() const { return fontRef_; }
    char16_t Code() const { return code_; }
    const QString& Text() const { return text_; }

    // Glyph metrics in em-100 units of the symbol's font.
    float abcA = 0, abcB = 0, abcC = 0;
    float cellAscent = 0, cellDescent = 0;
    float cellLeft = 0, cellBottom = 0, cellWidth = 0, cellHeight = 0;
    QRectF inkBounds;
    float inkLeft = 0, inkWidth = 0, inkTotalHeight = 0;
    float inkTop = 0, inkDepth = 0, inkRaise = 0;

  private:
    SymbolFontRef* fontRef_;
    QPainterPath outline_;
    QString text_;
    char16_t code_;
    bool hasMetrics_ = false;
};

// The glyph index of a code unit in a raw font, 0 when it has none. A code of
// the symbol-font private area (U+F020-U+F0FF) falls back to its low byte, as
// symbol fonts are addressed both ways.
quint32 GlyphIndexOf(const QRawFont& font, char16_t code);

// A symbol placed in a run.
struct CFormattedSymbol {
    CSymbolBase* symbol = nullptr;
    const QBrush* brush = nullptr;
    float size = 1.0f;
    float dx = 0.0f;
    float dy = 0.0f;
    bool ownsSymbol = false;
    bool trimLeft = false;
    bool trimRight = false;
};

// A typeset run of placed symbols, measured and drawn as a whole.
class CSymbolContainer : public std::vector<CFormattedSymbol*> {
  public:
    CSymbolContainer() = default;
    virtual ~CSymbolContainer();
    CSymbolContainer(const CSymbolContainer&) = delete;
    CSymbolContainer& operator=(const CSymbolContainer&) = delete;

    float Draw(QPainter* painter, float x, float y, SymbolBox* box, bool draw);
    void Measure(SymbolBox* box);
};

// The glyphs of one label font, made on first use.
class GlyphCache {
  public:
    explicit GlyphCache(SymbolFontRef* fontRef) : fontRef_(fontRef) {}
    GlyphCache(const GlyphCache&) = delete;
    GlyphCache& operator=(const GlyphCache&) = delete;

    // The cache's symbol for a code unit; null when the cache has no font.
    CSymbol* GetSymbol(char16_t code);
    // A new run of the text's glyphs, owned by the caller.
    CSymbolContainer* MakeContainer(const QString& text, const QBrush* brush, float size,
                                    bool trimFirst, bool trimLast);
    // Measures (and draws) the whole string in one call; returns the advance.
    float DrawText(QPainter* painter, const QString& text, float x, float y, const QBrush* brush,
                   SymbolBox* box, float size, bool trimLeft, bool trimRight, bool draw);

    SymbolFontRef* FontRef() const { return fontRef_; }

  private:
    SymbolFontRef* fontRef_;
    std::array<std::unique_ptr<CSymbol>, 256> low_{};
    std::vector<std::unique_ptr<CSymbol>> high_;
};

}  // namespace mathtext
