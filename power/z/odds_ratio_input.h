#pragma once

#include <functional>

#include "analysis/ids.h"
#include "analysis/parameter_names.h"

class PropertyList;

// The logistic regressions take either the odds ratio or the proportion p2
// as their effect; switching converts the current effect with the test's
// own conversions so that the next input list shows the same effect.
struct OddsRatioEffect {
    bool oddsRatioInput = true;
    double effectSize = 0.0;
    double previousEffect = 0.0;
    // The labels of the two inputs; a test whose probability input carries
    // another label names it here.
    ParameterId oddsRatioId = kOddsRatioId;
    ParameterId p2Id = kProportionP2Id;
    std::function<double(double)> oddsRatioFromP2;
    std::function<double(double)> p2FromOddsRatio;
};

// Switches to the odds ratio (`oddsRatio` true) or to p2, reading the shown
// input of the old form from `frame`; a missing input falls back to the
// effect (p2 to odds ratio) or to min(effect, 0.5) (odds ratio to p2). The
// converted text is remembered in `inputTexts` under the new input's label.
// True when a conversion ran.
bool ChooseOddsRatioInput(ParameterSource* frame, OddsRatioEffect* test, bool oddsRatio,
                          PropertyList* inputTexts);
