#include "ui/graphics/mathtext/symbol_font.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

#include "platform/fonts.h"

namespace mathtext {

// ---- CSymbolFont -------------------------------------------------------

CSymbolFont::CSymbolFont(const QString& familyName, float emSize, int style)
    : style_(style), emSize_(emSize) {
    if (!familyName.isEmpty()) Create(familyName, emSize, style);
}

CSymbolFont::~CSymbolFont() {
    Free();
}

void CSymbolFont::Create(const QString& familyName, float emSize, int style) {
    familyName_ = familyName;
    style_ = style;
    emSize_ = emSize;
    hasDrawingFont_ = false;
    family_ = QRawFont();
    emHeight_ = cellAscent_ = cellDescent_ = designScale_ = 0.0f;
    pending_ = !familyName.isEmpty();
}

const CSymbolFont& CSymbolFont::Loaded() const {
    if (!pending_) return *this;
    pending_ = false;
    family_ = platform::LoadDesignFont(familyName_, style_ == kStyleItalic);
    if (!family_.isValid()) return *this;
    double ascent = 0.0;
    double descent = 0.0;
    if (!platform::ReadCellMetrics(family_, &ascent, &descent)) {
        ascent = family_.ascent();
        descent = family_.descent();
    }
    emHeight_ = static_cast<float>(family_.unitsPerEm());
    cellAscent_ = static_cast<float>(ascent);
    cellDescent_ = static_cast<float>(descent);
    return *this;
}

const QRawFont* CSymbolFont::GetFont() {
    if (!HasFamily()) return nullptr;
    if (!hasDrawingFont_) {
        hasDrawingFont_ = true;
        designScale_ = emHeight_ > 0.0f ? emSize_ / emHeight_ : 0.0f;
    }
    return &family_;
}

void CSymbolFont::ReleaseFont() {
    hasDrawingFont_ = false;
}

void CSymbolFont::Free() {
    hasDrawingFont_ = false;
    pending_ = false;
    family_ = QRawFont();
}

// ---- glyph lookup ------------------------------------------------------

quint32 GlyphIndexOf(const QRawFont& font, char16_t code) {
    if (!font.isValid()) return 0;
    auto lookUp = [&](char16_t c) -> quint32 {
        const QChar ch(c);
        quint32 index = 0;
        int count = 1;
        if (!font.glyphIndexesForChars(&ch, 1, &index, &count) || count != 1) return 0;
        return index;
    };
    quint32 index = lookUp(code);
    if (index == 0 && code >= 0xF020 && code <= 0xF0FF) index = lookUp(code - 0xF000);
    return index;
}

// ---- SymbolFontRef -------------------------------------------------------

SymbolFontRef::~SymbolFontRef() {
    if (!sharedFont) delete font;
}

namespace {

// Ink above the baseline and cell ascent of one glyph, with the reference's
// scales applied.
struct GlyphHeights {
    float ink = 0.0f;
    float cell = 0.0f;
};

GlyphHeights HeightsOf(SymbolFontRef* ref, char16_t code) {
    CSymbol symbol(QString(), code, ref);
    symbol.ComputeMetrics();
    const float k = ref->sizeScale * ref->matchScale;
    GlyphHeights h;
    h.ink = symbol.inkTop * k;
    h.cell = ref->inkVertical ? h.ink : symbol.cellAscent * ref->ascentScale * k;
    return h;
}

}  // namespace

float SymbolFontRef::MatchGlyphSize(SymbolFontRef* other, char16_t here, char16_t there) {
    const GlyphHeights mine = HeightsOf(this, here);
    const GlyphHeights theirs = HeightsOf(other, there);
    float r = 1.0f;
    if (mine.ink > 0.0f && theirs.ink > 0.0f && mine.cell > 0.0f) {
        r = (theirs.cell / theirs.ink) / (mine.cell / mine.ink);
    }
    ascentScale = std::max(r, 1.0f);
    return ascentScale;
}

float SymbolFontRef::MatchGlyphExtent(SymbolFontRef* other, char16_t here, char16_t there) {
    const float mine = HeightsOf(this, here).ink;
    const float theirs = HeightsOf(other, there).ink;
    if (mine == 0.0f || theirs == 0.0f) return 1.0f;
    return theirs / mine;
}

// ---- CSymbol -------------------------------------------------------------

CSymbol::CSymbol(const QString& text, char16_t code, SymbolFontRef* fontRef)
    : fontRef_(fontRef), text_(text), code_(code) {}

bool CSymbol::ComputeMetrics() {
    hasMetrics_ = false;
    CSymbolFont* font = fontRef_ ? fontRef_->font : nullptr;
    const QRawFont* raw = font ? font->GetFont() : nullptr;
    if (!raw) return false;
    const quint32 glyph = GlyphIndexOf(*raw, code_);
    if (glyph == 0) return false;

    const float ds = font->DesignScale();
    cellDescent = font->CellDescent() * ds;
    const float cellAscentDesign = font->CellAscent() * ds;

    QPointF advance;
    raw->advancesForGlyphIndexes(&glyph, &advance, 1, QRawFont::UseDesignMetrics);
    const QPainterPath path = raw->pathForGlyph(glyph);
    const QRectF ink = path.isEmpty() ? QRectF() : path.boundingRect();

    // Left side bearing, black box and right side bearing; a blank glyph has
    // no black box and its whole advance on the right.
    const float a = static_cast<float>(ink.isNull() ? 0.0 : ink.left());
    const float b = static_cast<float>(ink.isNull() ? 0.0 : ink.width());
    const float c = static_cast<float>(advance.x()) - a - b;
    // The widths carry a 3 % allowance that spaces glyphs set one by one
    // like the typographic string measure spaces a whole word.
    abcA = a * ds * 1.03f;
    abcB = b * ds * 1.03f;
    abcC = c * ds * 1.03f;

    // The character cell is measured where the glyph is drawn: from the
    // origin, as wide as its advance, from cell top to cell bottom.
    cellLeft = 0.0f;
    cellBottom = 0.0f;
    cellWidth = static_cast<float>(advance.x()) * ds;
    cellHeight = cellAscentDesign + cellDescent;
    cellAscent = cellHeight - cellDescent;

    QTransform toEm;
    toEm.scale(ds, ds);
    outline_ = toEm.map(path);
    inkBounds = outline_.isEmpty() ? QRectF() : outline_.boundingRect();
    inkLeft = static_cast<float>(inkBounds.left());
    inkWidth = static_cast<float>(inkBounds.width());
    inkTotalHeight = static_cast<float>(inkBounds.height());
    const float d = static_cast<float>(inkBounds.bottom());  // ink bottom below the baseline
    inkDepth = std::max(d, 0.0f);
    inkRaise = std::min(d, 0.0f);
    inkTop = std::max(inkTotalHeight - inkDepth - inkRaise, 0.0f);
    hasMetrics_ = true;
    return true;
}

SymbolBox CSymbol::Measure(float size, bool trimLeft, bool trimRight) {
    if (!hasMetrics_ && !ComputeMetrics()) return SymbolBox{};
    const float k = fontRef_->sizeScale * fontRef_->matchScale * size;
    // The left side bearing taken off, in em-100 units, so that it is the
    // same share of the glyph at every size.
    const float t = trimLeft ? -abcA : 0.0f;
    SymbolBox box;
    box.ascent = cellAscent * fontRef_->ascentScale * k;
    box.descent = cellDescent * k;
    box.inkAscent = inkTop * k;
    box.inkDescent = inkDepth * k;
    box.advance = (abcA + abcB + abcC + t) * k;
    if (trimRight) box.advance = std::max(box.advance - abcC * k, (inkWidth + t + inkLeft) * k);
    box.height = (cellDescent + cellAscent) * k;
    box.inkLeft = (t + inkLeft) * k;
    box.inkRaise = inkRaise * k;
    box.inkWidth = inkWidth * k;
    box.inkHeight = inkTotalHeight * k;
    if (fontRef_->inkVertical) {
        box.ascent = box.inkAscent;
        box.descent = box.inkDescent;
        box.height = box.ascent + box.descent;
    }
    return box;
}

float CSymbol::Draw(QPainter* painter, float x, float y, const QBrush* brush, SymbolBox* box,
                    float size, bool trimLeft, bool trimRight, bool draw) {
    *box = Measure(size, trimLeft, trimRight);
    if (draw && painter && brush && hasMetrics_ && !outline_.isEmpty()) {
        const float k = fontRef_->sizeScale * fontRef_->matchScale * size;
        const float t = trimLeft ? -abcA : 0.0f;
        painter->save();
        painter->translate(x, y);
        painter->scale(k, k);
        painter->translate(t - cellLeft, -cellBottom);
        painter->fillPath(outline_, *brush);
        painter->restore();
    }
    return box->advance;
}

// ---- CSymbolContainer ----------------------------------------------------

CSymbolContainer::~CSymbolContainer() {
    for (CFormattedSymbol* f : *this) {
        if (f->ownsSymbol) delete f->symbol;
        delete f;
    }
}

float CSymbolContainer::Draw(QPainter* painter, float x, float y, SymbolBox* box, bool draw) {
    *box = SymbolBox{};
    float top = 0, bottom = 0, inkTop = 0, inkBottom = 0;
    for (size_t i = 0; i < size(); ++i) {
        const CFormattedSymbol& f = *(*this)[i];
        SymbolBox b;
        f.symbol->Draw(painter, x + f.dx, y + f.dy, f.brush, &b, f.size, f.trimLeft, f.trimRight,
                       draw);
        top = std::min(top, f.dy - b.ascent);
        bottom = std::max(bottom, f.dy + b.descent);
        inkTop = std::min(inkTop, f.dy - b.inkAscent);
        inkBottom = std::max(inkBottom, f.dy + b.inkDescent);
        box->advance += b.advance;
        if (i == 0) {
            box->inkLeft = b.inkLeft;
            box->inkRaise = b.inkRaise;
            box->inkWidth = -b.inkLeft;
        } else {
            box->inkRaise = std::max(box->inkRaise, b.inkRaise - f.dy);
        }
        box->inkWidth += (i + 1 < size()) ? b.advance : b.inkWidth + b.inkLeft;
    }
    box->ascent = std::abs(top);
    box->descent = std::abs(bottom);
    box->inkAscent = std::abs(inkTop);
    box->inkDescent = std::abs(inkBottom);
    box->height = box->ascent + box->descent;
    box->inkHeight = box->inkAscent + box->inkDescent;
    return box->advance;
}

void CSymbolContainer::Measure(SymbolBox* box) {
    // Measuring runs the drawing pass without painting; the vertical
    // extremes come out the same as with the upward-counting variant.
    Draw(nullptr, 0.0f, 0.0f, box, false);
}

// ---- GlyphCache ----------------------------------------------------------

CSymbol* GlyphCache::GetSymbol(char16_t code) {
    if (!fontRef_) return nullptr;
    if (code < 256) {
        auto& slot = low_[code];
        if (!slot) slot = std::make_unique<CSymbol>(QString(), code, fontRef_);
        return slot.get();
    }
    for (const auto& s : high_) {
        if (s->Code() == code) return s.get();
    }
    high_.push_back(std::make_unique<CSymbol>(QString(), code, fontRef_));
    return high_.back().get();
}

CSymbolContainer* GlyphCache::MakeContainer(const QString& text, const QBrush* brush, float size,
                                            bool trimFirst, bool trimLast) {
    auto* container = new CSymbolContainer;
    float running = 0.0f;
    for (qsizetype i = 0; i < text.size(); ++i) {
        CSymbol* symbol = GetSymbol(text[i].unicode());
        if (!symbol) continue;
        auto* f = new CFormattedSymbol;
        f->symbol = symbol;
        f->brush = brush;
        f->size = size;
        f->dx = running;
        f->trimLeft = i == 0 && trimFirst;
        f->trimRight = i + 1 == text.size() && trimLast;
        container->push_back(f);
        running += symbol->Measure(size, f->trimLeft, f->trimRight).advance;
    }
    return container;
}

float GlyphCache::DrawText(QPainter* painter, const QString& text, float x, float y,
                           const QBrush* brush, SymbolBox* box, float size, bool trimLeft,
                           bool trimRight, bool draw) {
    *box = SymbolBox{};
    CSymbolFont* font = fontRef_ ? fontRef_->font : nullptr;
    const QRawFont* raw = font ? font->GetFont() : nullptr;
    if (!raw || text.isEmpty()) return 0.0f;
    const float ds = font->DesignScale();

    // The whole string laid out with the font's own advances, in em-100 units.
    QPainterPath outline;
    float pen = 0.0f;
    for (QChar ch : text) {
        const quint32 glyph = GlyphIndexOf(*raw, ch.unicode());
        if (glyph == 0) continue;
        QPointF advance;
        raw->advancesForGlyphIndexes(&glyph, &advance, 1, QRawFont::UseDesignMetrics);
        QTransform place;
        place.translate(pen, 0.0);
        place.scale(ds, ds);
        outline.addPath(place.map(raw->pathForGlyph(glyph)));
        pen += static_cast<float>(advance.x()) * ds;
    }
    const QRectF ink = outline.isEmpty() ? QRectF() : outline.boundingRect();
    const float cellAscent = font->CellAscent() * ds;
    const float cellDescent = font->CellDescent() * ds;
    const float inkLeft = static_cast<float>(ink.left());
    const float inkBottom = static_cast<float>(ink.bottom());

    const float scale = fontRef_->sizeScale * fontRef_->matchScale;
    const float k = scale * size;
    box->ascent = cellAscent * fontRef_->ascentScale * k;
    box->descent = cellDescent * k;
    box->inkAscent = std::max(static_cast<float>(-ink.top()), 0.0f) * k;
    box->inkDescent = std::max(inkBottom, 0.0f) * k;
    box->inkRaise = std::min(inkBottom, 0.0f) * k;
    box->inkWidth = static_cast<float>(ink.width()) * k;
    box->inkHeight = static_cast<float>(ink.height()) * k;
    box->height = (cellAscent + cellDescent) * k;
    box->advance = pen * k;
    box->inkLeft = inkLeft < 0.0f ? inkLeft * k : 0.0f;
    float shift = 0.0f;
    if (trimLeft) {
        shift = -inkLeft;
        box->advance -= inkLeft * k;
        box->inkLeft = 0.0f;
    }
    if (trimRight) box->advance = (inkLeft + static_cast<float>(ink.width()) + shift) * k;
    if (fontRef_->inkVertical) {
        box->ascent = box->inkAscent;
        box->descent = box->inkDescent;
        box->height = box->ascent + box->descent;
    }
    if (draw && painter && brush && !outline.isEmpty()) {
        painter->save();
        painter->translate(x, y);
        painter->scale(k, k);
        painter->translate(shift, 0.0);
        painter->fillPath(outline, *brush);
        painter->restore();
    }
    return box->advance;
}

}  // namespace mathtext
