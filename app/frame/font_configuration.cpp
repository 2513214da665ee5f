#include "app/frame/font_configuration.h"

#include <cstdlib>

FcConfig* ReadFontConfiguration() {
    FcConfig* config = FcConfigCreate();
    if (!config) return nullptr;
    bool usable = FcConfigParseAndLoad(config, nullptr, FcTrue);
    if (usable) {
        // Without a cache folder every font file would be opened and read;
        // the library's start-up adds its default folders, with a warning.
        FcStrList* cacheFolders = FcConfigGetCacheDirs(config);
        usable = cacheFolders && FcStrListNext(cacheFolders);
        if (cacheFolders) FcStrListDone(cacheFolders);
    }
    if (usable) usable = FcConfigBuildFonts(config);
    if (!usable) {
        FcConfigDestroy(config);
        return nullptr;
    }
    return config;
}

void InitFontConfiguration() {
    if (!std::getenv("FC_DEBUG")) {
        if (FcConfig* config = ReadFontConfiguration()) {
            FcConfigSetCurrent(config);  // takes a reference of its own
            FcConfigDestroy(config);
        }
    }
    FcInit();  // nothing to do when a configuration is current
}

std::string GenericSansFamily() {
    // The question Qt's font database asks for a family it does not have:
    // the same pattern, the same substitutions, all fonts sorted by fit; the
    // first family that is not the generic name itself is Qt's choice.
    FcPattern* pattern = FcPatternCreate();
    if (!pattern) return {};
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(kGenericSansFamily));
    FcPatternAddInteger(pattern, FC_SLANT, FC_SLANT_ROMAN);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcFontSet* sorted = FcFontSort(nullptr, pattern, FcFalse, nullptr, &result);
    FcPatternDestroy(pattern);
    std::string family;
    if (!sorted) return family;
    for (int i = 0; i < sorted->nfont && family.empty(); ++i) {
        FcChar8* name = nullptr;
        if (FcPatternGetString(sorted->fonts[i], FC_FAMILY, 0, &name) != FcResultMatch) continue;
        if (FcStrCmpIgnoreCase(name, reinterpret_cast<const FcChar8*>(kGenericSansFamily)) != 0)
            family = reinterpret_cast<const char*>(name);
    }
    FcFontSetDestroy(sorted);
    return family;
}
