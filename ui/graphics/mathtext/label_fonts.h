#pragma once

// The main window's six label font sets, through which every label, title
// and tick label is drawn.

#include <memory>

#include "ui/graphics/mathtext/symbol_font.h"

namespace mathtext {

class LabelFontSets {
  public:
    // Needs the static fonts created (InitSymbolFonts).
    LabelFontSets();
    ~LabelFontSets();
    LabelFontSets(const LabelFontSets&) = delete;
    LabelFontSets& operator=(const LabelFontSets&) = delete;

    // After the symbol fonts' scales: matches the frame's own italic label
    // font to the text font, as the graph views do on their first paint.
    void MatchLabelFonts();
    bool Matched() const { return matched_; }

  private:
    // The frame's own references (they own their fonts); declared before the
    // caches over them.
    std::unique_ptr<SymbolFontRef> labelRef_;
    std::unique_ptr<SymbolFontRef> labelItalicRef_;
    bool matched_ = false;

  public:
    GlyphCache labelFonts;
    GlyphCache romanFonts;
    GlyphCache plotRomanFonts;
    GlyphCache labelItalicFonts;
    GlyphCache mathItalicFonts;
    GlyphCache romanItalicFonts;
};

}  // namespace mathtext
