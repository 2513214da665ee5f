// The options the exact tests declare: how alpha is divided between the
// tails, the exact computation's limit and its approximation, and the
// statistic and effect measure of the two-proportion tests.

#include <cmath>

#include "analysis/option_declarations.h"
#include "power/exact/power_exact_binomial.h"
#include "power/exact/power_exact_correlation.h"
#include "power/exact/power_exact_fisher.h"
#include "power/exact/power_exact_mcnemar.h"
#include "power/exact/power_exact_uncond.h"

TestOptions PowerExactBinomial::Options() {
    return {"COpt_Exact_Binomial", {ChoiceOption(kAlphaBalancingOption, alphaBalancing)}};
}

TestOptions PowerExactMcNemar::Options() {
    return {"COpt_Exact_McNemar",
            {ChoiceOption(kAlphaBalancingOption, alphaBalancing),
             EitherOption(kExactApproximationOption, useApproximation, false),
             NumberOption(kExactLimitOption, exactLimit)}};
}

TestOptions PowerExactOneCorr::Options() {
    return {"COpt_Exact_OneCorr",
            {EitherOption(kExactApproximationOption, useApproximation, false),
             NumberOption(kExactLimitOption, exactLimit)}};
}

TestOptions PowerExactFisherTwoProp::Options() {
    return {"COpt_Exact_FisherExact",
            {EitherOption(kExactApproximationOption, useApproximation, false),
             NumberOption(kExactLimitOption, exactThreshold),
             ChoiceOption(kFisherAlphaBalancingOption, alphaBalancing),
             ChoiceOption(kExactStatisticOption, statistic, OptionKind::kList)}};
}

TestOptions PowerExactMRC::Options() {
    // The effect panel follows the method.
    return {"COpt_Exact_MRC",
            {{kRegressionMethodOption, OptionKind::kChoice,
              [this] { return static_cast<double>(GetMethod()); },
              [this](double value, const OptionValues&, OptionScreen&) {
                  SetMethod(static_cast<int>(value));
              },
              PanelRebuild::kOnChange}}};
}

TestOptions PowerExactUncondTwoProp::Options() {
    TestOption measure = ChoiceOption(kEffectIndexOption, effectIndex, OptionKind::kList);
    measure.write = [this](double value, const OptionValues&, OptionScreen& screen) {
        const int index = static_cast<int>(value);
        if (index == effectIndex) return;
        // The new measure is converted from p1 and p2 (and the H0 value of
        // the test with an offset) as the screen shows them, not as the last
        // calculation left them. A shown set that describes no proportions
        // keeps the test's own.
        const double oldP1 = proportion1, oldP2 = proportion2, oldEffect = effectSize;
        const double oldOffset = nullDifference;
        const auto isProportion = [](double p) { return std::isfinite(p) && 0.0 < p && p < 1.0; };
        const double p2 = GetAnalysisInputDouble(proportion2, &screen, this, kProportionP2Id, -1);
        if (isProportion(p2)) {
            proportion2 = p2;
            effectSize = GetAnalysisInputDouble(effectSize, &screen, this, GetEffectSizeId(), -1);
            UpdateProportionFromEffect();
            bool valid = isProportion(proportion1);
            if (TakesH0Value()) {
                const double h0 = GetAnalysisInputDouble(H0EffectFromOffset(nullDifference),
                                                         &screen, this, GetH0EffectId(), -1);
                valid = valid && isProportion(SetOffsetFromH0Effect(h0) + p2);
            }
            if (!valid) {
                proportion1 = oldP1;
                proportion2 = oldP2;
                effectSize = oldEffect;
                nullDifference = oldOffset;
            }
        }
        SetEffectIndex(index);
    };
    TestOption statisticChoice{kExactStatisticOption, OptionKind::kList,
                               [this] { return static_cast<double>(this->statistic); },
                               // Also chooses the reference distribution of the statistic.
                               [this](double value, const OptionValues&, OptionScreen&) {
                                   SetStatistic(static_cast<int>(value));
                               }};
    return {"COpt_Exact_TwoProp_Unc_Ieq",
            {EitherOption(kExactApproximationOption, largeSample, false),
             NumberOption(kExactLimitOption, exactLimit), measure, statisticChoice}};
}
