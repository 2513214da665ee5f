// The switch of the logistic regressions' effect between the odds ratio and
// p2: which shown value it converts and what it remembers.

#include "power/z/odds_ratio_input.h"

#include <gtest/gtest.h>

#include <string>

#include "analysis/property.h"

namespace {

// The main window's shown inputs, by label.
class ShownInputs : public ParameterSource {
  public:
    Property* FindParameter(std::string name) override { return list.Find(name); }
    PropertyList list;
};

TEST(OddsRatioChoice, ConvertsTheShownEffectOrFallsBack) {
    const std::string oddsRatio = ParameterNames[kOddsRatioId];
    const std::string p2 = ParameterNames[kProportionP2Id];
    // The test's conversions are stand-ins that show which value they got.
    struct Case {
        bool startOddsRatio;
        bool chooseOddsRatio;
        const char* shownLabel;  // null: the input is not on the screen
        double shownValue;
        double effect;
        bool converted;
        double expectedEffect;
        const char* rememberedLabel;
    };
    const Case cases[] = {
        {false, true, "Proportion p2", 0.3, 0.2, true, 1030.0, "Odds ratio"},
        {false, true, nullptr, 0.0, 0.2, true, 1020.0, "Odds ratio"},  // the test's own p2
        {true, false, "Odds ratio", 1.7, 2.5, true, 2.7, "Proportion p2"},
        {true, false, nullptr, 0.0, 2.5, true, 1.5, "Proportion p2"},  // min(2.5, 0.5)
        {true, false, nullptr, 0.0, 0.25, true, 1.25, "Proportion p2"},
        {true, true, "Odds ratio", 1.7, 2.5, false, 2.5, nullptr},  // no change of input
        {false, false, "Proportion p2", 0.3, 0.2, false, 0.2, nullptr},
    };
    for (const Case& c : cases) {
        ShownInputs frame;
        if (c.shownLabel)
            frame.list.push_back(new PropertyDouble(c.shownLabel, c.shownValue, false));
        OddsRatioEffect test;
        test.oddsRatioInput = c.startOddsRatio;
        test.effectSize = c.effect;
        test.oddsRatioFromP2 = [](double v) { return 1000.0 + 100.0 * v; };
        test.p2FromOddsRatio = [](double v) { return 1.0 + v; };
        PropertyList texts;
        const std::string what = std::string(c.startOddsRatio ? "OR" : "p2") + " -> " +
                                 (c.chooseOddsRatio ? "OR" : "p2") + " shown " +
                                 (c.shownLabel ? c.shownLabel : "none");
        EXPECT_EQ(ChooseOddsRatioInput(&frame, &test, c.chooseOddsRatio, &texts), c.converted)
            << what;
        EXPECT_DOUBLE_EQ(test.effectSize, c.expectedEffect) << what;
        EXPECT_EQ(test.oddsRatioInput, c.chooseOddsRatio) << what;
        if (c.converted && c.chooseOddsRatio) {
            EXPECT_DOUBLE_EQ(test.previousEffect, c.effect) << what;
        }
        std::string remembered;
        if (c.rememberedLabel) {
            ASSERT_TRUE(GetNamedString(&texts, c.rememberedLabel, &remembered)) << what;
            EXPECT_NEAR(std::stod(remembered), c.expectedEffect, 5e-7 * c.expectedEffect) << what;
        } else {
            EXPECT_TRUE(texts.empty()) << what;
        }
    }
}

}  // namespace
