#pragma once

#include <fontconfig/fontconfig.h>

#include <string>

// The font configuration as the font configuration library's own start-up
// reads it: the same configuration file and all it includes, the same cache
// folders, the same fonts. That start-up then also reads every snippet in the
// folder of available ones, enabled or not, only to keep their descriptions
// for listing tools: a third of its time, spent before the main window can
// measure a font. Null when the file cannot be read, names no cache folder or
// yields no font list; the library's own start-up then handles those cases
// with its warnings and fallbacks. The caller owns the reference.
FcConfig* ReadFontConfiguration();

// Makes the configuration above the current one, then lets the library's own
// start-up do whatever that could not; with FC_DEBUG set the library's own
// start-up does it all, so that its debugging output stays. May run on any
// thread, before the application object exists.
void InitFontConfiguration();

// The generic family Qt asks for when no desktop theme names a font.
inline constexpr char kGenericSansFamily[] = "Sans Serif";

// The installed family that the font configuration chooses for the generic
// family; empty when none is found. Needs no application object and may run on any thread.
std::string GenericSansFamily();
