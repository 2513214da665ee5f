#include "app/frame/font_configuration.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

struct ConfigDeleter {
    void operator()(FcConfig* config) const { FcConfigDestroy(config); }
};
using ConfigPtr = std::unique_ptr<FcConfig, ConfigDeleter>;

std::string Unparsed(FcPattern* pattern) {
    FcChar8* text = FcNameUnparse(pattern);
    std::string result = text ? reinterpret_cast<const char*>(text) : "";
    FcStrFree(text);
    return result;
}

std::vector<std::string> Strings(FcStrList* list) {
    std::vector<std::string> result;
    if (!list) return result;
    while (FcChar8* item = FcStrListNext(list))
        result.emplace_back(reinterpret_cast<const char*>(item));
    FcStrListDone(list);
    return result;
}

std::vector<std::string> FontFiles(FcConfig* config) {
    std::vector<std::string> files;
    const FcFontSet* fonts = FcConfigGetFonts(config, FcSetSystem);
    for (int i = 0; fonts && i < fonts->nfont; ++i) {
        FcChar8* file = nullptr;
        int index = 0;
        FcPatternGetString(fonts->fonts[i], FC_FILE, 0, &file);
        FcPatternGetInteger(fonts->fonts[i], FC_INDEX, 0, &index);
        files.push_back(std::string(file ? reinterpret_cast<const char*>(file) : "") + "#" +
                        std::to_string(index));
    }
    return files;
}

// The request as a program asks it: the configuration's substitutions, the
// defaults, then the best font with the rules for rendering it applied.
struct Answer {
    std::string substituted;
    std::string matched;
    std::vector<std::string> sortedFamilies;
};

Answer Ask(FcConfig* config, const char* request) {
    Answer answer;
    FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>(request));
    FcConfigSubstitute(config, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    answer.substituted = Unparsed(pattern);
    FcResult result = FcResultNoMatch;
    if (FcPattern* match = FcFontMatch(config, pattern, &result)) {
        answer.matched = Unparsed(match);
        FcPatternDestroy(match);
    }
    if (FcFontSet* sorted = FcFontSort(config, pattern, FcFalse, nullptr, &result)) {
        for (int i = 0; i < sorted->nfont && i < 8; ++i) {
            FcChar8* family = nullptr;
            FcPatternGetString(sorted->fonts[i], FC_FAMILY, 0, &family);
            answer.sortedFamilies.emplace_back(family ? reinterpret_cast<const char*>(family) : "");
        }
        FcFontSetDestroy(sorted);
    }
    FcPatternDestroy(pattern);
    return answer;
}

// The library's own start-up is the reference: the configuration read
// without its pass over the available snippets must hold the same fonts and
// folders and answer every request the same way, rendering rules included.
TEST(FontConfiguration, AnswersAsTheLibrarysOwnStartUpDoes) {
    const ConfigPtr ours(ReadFontConfiguration());
    ASSERT_NE(ours, nullptr);
    const ConfigPtr reference(FcInitLoadConfigAndFonts());
    ASSERT_NE(reference, nullptr);

    const std::vector<std::string> files = FontFiles(ours.get());
    EXPECT_FALSE(files.empty());
    EXPECT_EQ(files, FontFiles(reference.get()));
    EXPECT_EQ(Strings(FcConfigGetFontDirs(ours.get())),
              Strings(FcConfigGetFontDirs(reference.get())));
    EXPECT_EQ(Strings(FcConfigGetCacheDirs(ours.get())),
              Strings(FcConfigGetCacheDirs(reference.get())));
    EXPECT_EQ(Strings(FcConfigGetConfigFiles(ours.get())),
              Strings(FcConfigGetConfigFiles(reference.get())));

    for (const char* request : {"Sans Serif", "sans-serif:size=9", "serif:italic", "monospace:bold",
                                "DejaVu Sans:pixelsize=11", "Arial", "Helvetica:weight=200",
                                "Times New Roman", "Courier New:size=8", "Symbol",
                                "No Such Family Anywhere", ":lang=ar", ":lang=ja", ":lang=fa"}) {
        SCOPED_TRACE(request);
        const Answer answer = Ask(ours.get(), request);
        const Answer expected = Ask(reference.get(), request);
        EXPECT_FALSE(answer.matched.empty());
        EXPECT_EQ(answer.substituted, expected.substituted);
        EXPECT_EQ(answer.matched, expected.matched);
        EXPECT_EQ(answer.sortedFamilies, expected.sortedFamilies);
    }
}

TEST(FontConfiguration, BecomesTheCurrentConfiguration) {
    InitFontConfiguration();
    const ConfigPtr current(FcConfigReference(nullptr));
    ASSERT_NE(current, nullptr);
    const ConfigPtr reference(FcInitLoadConfigAndFonts());
    EXPECT_EQ(FontFiles(current.get()), FontFiles(reference.get()));
    EXPECT_EQ(Ask(current.get(), "Sans Serif").matched, Ask(reference.get(), "Sans Serif").matched);
}

// Ends the library's use as the application's font database does at exit,
// which releases the current configuration.
class ReleaseFontConfiguration : public ::testing::Environment {
  public:
    void TearDown() override { FcFini(); }
};
const auto* const releaseAtExit = ::testing::AddGlobalTestEnvironment(new ReleaseFontConfiguration);

}  // namespace
