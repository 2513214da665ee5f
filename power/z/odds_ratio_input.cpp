#include "power/z/odds_ratio_input.h"

#include <algorithm>
#include <string>

#include "analysis/option_declarations.h"
#include "analysis/property.h"

bool ChooseOddsRatioInput(ParameterSource* frame, OddsRatioEffect* test, bool oddsRatio,
                          PropertyList* inputTexts) {
    const std::string oddsRatioLabel = ParameterNames[test->oddsRatioId];
    const std::string p2Label = ParameterNames[test->p2Id];
    if (oddsRatio && !test->oddsRatioInput) {
        Property* shown = frame ? frame->FindParameter(p2Label) : nullptr;
        test->previousEffect = test->effectSize;
        test->oddsRatioInput = true;
        const double p2 = shown ? ShownValue(shown) : test->effectSize;
        test->effectSize = test->oddsRatioFromP2(p2);
        RememberEffectText(inputTexts, oddsRatioLabel, test->effectSize);
        return true;
    }
    if (!oddsRatio && test->oddsRatioInput) {
        Property* shown = frame ? frame->FindParameter(oddsRatioLabel) : nullptr;
        const double ratio = shown ? ShownValue(shown) : std::min(test->effectSize, 0.5);
        test->effectSize = test->p2FromOddsRatio(ratio);
        RememberEffectText(inputTexts, p2Label, test->effectSize);
        test->oddsRatioInput = false;
        return true;
    }
    return false;
}
