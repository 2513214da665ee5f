#pragma once

// The process-wide math symbols: the static symbol fonts with their scale
// references, the table of named symbols and the name-to-symbol map through
// which the markup finds them. Set up once by the main window and torn down
// by it; user-interface thread only.

#include <QString>
#include <map>

#include "ui/graphics/mathtext/symbol_font.h"

namespace mathtext {

using SymbolMap = std::map<QString, CSymbol*>;

// One row of the symbol table: markup name, glyph code, font reference
// (1-based number of the static reference; 0 ends the table).
struct SymbolEntry {
    const char16_t* name;
    char16_t glyph;
    int fontRef;
};

// The table's rows up to, not including, the terminator row.
const SymbolEntry* SymbolTable();
int SymbolTableSize();

// The fifteen static references, numbered 1-15.
inline constexpr int kStaticFontRefCount = 15;
SymbolFontRef* StaticFontRef(int number);
// The references that other parts of the program name.
inline SymbolFontRef* MathItalicFontRef() {
    return StaticFontRef(3);
}
inline SymbolFontRef* TextFontRef() {
    return StaticFontRef(13);
}
inline SymbolFontRef* ItalicTextFontRef() {
    return StaticFontRef(14);
}

// Loads the static fonts and builds the map; returns it. Needs the
// application object (the font system).
SymbolMap* InitSymbolFonts();
// The map, or null before InitSymbolFonts and after ClearSymbolMap.
SymbolMap* SymbolMapPointer();
// The map's symbol for a markup name, or null.
CSymbol* FindSymbol(const QString& name);
// Matches the heights of the symbol fonts to the text font (once per
// process, before the first label is drawn).
void UpdateSymbolFontScales();
// Tear-down, in this order.
void FreeSymbolFonts();
void ClearSymbolMap();

}  // namespace mathtext
