#pragma once

#include <fontconfig/fontconfig.h>

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
