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
