// The options the z tests declare: the two proportions' corrections and
// effect input, the tetrachoric correlation's approximation, and the
// regressions' computation and effect input.

#include "analysis/option_declarations.h"
#include "power/z/odds_ratio_input.h"
#include "power/z/power_z_logistic_regress.h"
#include "power/z/power_z_poisson_regress.h"
#include "power/z/power_z_tetrachoric_corr.h"
#include "power/z/power_z_two_prop.h"

TestOptions PowerZTwoProp::Options() {
    TestOption effectInput = EitherOption(kEffectInputOption, inputProportions, true);
    effectInput.write = [this](double value, const OptionValues&, OptionScreen& screen) {
        const bool proportions = value == 0;
        if (proportions == inputProportions) return;
        // The conversion describes the proportions on the screen, not those
        // of the last calculation.
        proportion1 = GetAnalysisInputDouble(proportion1, &screen, this, kProportionP1Id, -1);
        effectSize = GetAnalysisInputDouble(
            effectSize, &screen, this, inputProportions ? kProportionP2Id : kEffectSizeHId, -1);
        SetInputProportions(proportions);
    };
    return {"COpt_Z_TwoProp",
            {FlagOption(kContinuityOption, continuityCorrection),
             FlagOption(kArcsinOption, arcsinTransform), FlagOption(kPlotNormalOption, plotNormal),
             effectInput}};
}

TestOptions PowerZTetrachoricCorr::Options() {
    // The effect panel labels its outputs by the correlation it estimates.
    return {"COpt_Z_TetraCorr",
            {EitherOption(kTetrachoricApproximationOption, useApproximation, false,
                          PanelRebuild::kOnChange)}};
}

std::vector<TestOption> PowerZCovariateRegress::ComputationOptions() {
    return {EitherOption(kEnumerationOption, useEnumeration, true),
            NumberOption(kEnumerationLimitOption, enumerationMaxN),
            EitherOption(kEnumerationStatisticOption, enumerationWald, true),
            EitherOption(kProcedureOption, demidenko, true),
            FlagOption(kVarianceCorrectionOption, varianceCorrection)};
}

TestOptions PowerZPoissonRegress::Options() {
    return {"COpt_Z_Poisson", ComputationOptions()};
}

TestOptions PowerZLogisticRegress::Options() {
    // The new effect input takes another panel.
    TestOption effectInput =
        EitherOption(kOddsRatioInputOption, oddsRatioInput, true, PanelRebuild::kOnChange);
    effectInput.write = [this](double value, const OptionValues&, OptionScreen& screen) {
        const bool oddsRatio = value == 0;
        if (oddsRatio == oddsRatioInput) return;
        // The conversion describes the p0 on the screen, which need not be
        // the one of the last calculation.
        const double shownP0 = GetAnalysisInputDouble(p0, &screen, this, kPrY1X1H0Id, -1);
        OddsRatioEffect effect;
        effect.oddsRatioInput = oddsRatioInput;
        effect.effectSize = effectSize;
        effect.p2Id = kPrY1X1H1Id;
        effect.oddsRatioFromP2 = [shownP0](double p) {
            return (p / (1.0 - p)) / (shownP0 / (1.0 - shownP0));
        };
        effect.p2FromOddsRatio = [shownP0](double odds) {
            return shownP0 * odds / ((odds - 1.0) * shownP0 + 1.0);
        };
        if (!ChooseOddsRatioInput(&screen, &effect, oddsRatio, &inputTexts)) return;
        oddsRatioInput = effect.oddsRatioInput;
        effectSize = effect.effectSize;
    };
    TestOptions options{"COpt_Z_Logistic", ComputationOptions()};
    options.options.push_back(effectInput);
    return options;
}
