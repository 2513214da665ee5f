#include "ui/graphics/mathtext/label_fonts.h"

#include "ui/graphics/mathtext/symbol_table.h"

namespace mathtext {

namespace {

std::unique_ptr<SymbolFontRef> OwnLabelFont(int style) {
    return std::make_unique<SymbolFontRef>(
        new CSymbolFont(QStringLiteral("lucida sans unicode"), 100.0f, style), false, false);
}

}  // namespace

LabelFontSets::LabelFontSets()
    : labelRef_(OwnLabelFont(kStyleRegular)),
      labelItalicRef_(OwnLabelFont(kStyleItalic)),
      labelFonts(labelRef_.get()),
      romanFonts(TextFontRef()),
      plotRomanFonts(TextFontRef()),
      labelItalicFonts(labelItalicRef_.get()),
      mathItalicFonts(MathItalicFontRef()),
      romanItalicFonts(ItalicTextFontRef()) {}

LabelFontSets::~LabelFontSets() = default;

void LabelFontSets::MatchLabelFonts() {
    SymbolFontRef* text = TextFontRef();
    for (SymbolFontRef* ref : {labelRef_.get(), labelItalicRef_.get()}) {
        ref->matchScale = ref->ascentScale = 1.0f;
        ref->MatchGlyphSize(text, u'M', u'M');
        ref->matchScale = ref->MatchGlyphExtent(text, u'm', u'm');
        ref->font->ReleaseFont();
    }
    matched_ = true;
}

}  // namespace mathtext
