// The options the F tests declare: the repeated-measures tests' effect-size
// specification and the multivariate tests' criterion.

#include "analysis/option_declarations.h"
#include "power/f/power_f_multivariate.h"
#include "power/f/power_f_repeated.h"

TestOptions PowerFRepMBetween::Options() {
    TestOption specification = ChoiceOption(kEffectSpecificationOption, effectSizeSpecification);
    specification.write = [this](double value, const OptionValues&, OptionScreen& screen) {
        const int code = static_cast<int>(value);
        if (code == effectSizeSpecification || code < 0 || code > 3) return;
        // The effect shown is converted into the new specification.
        ChangeEffectSizeSpecification(code, &screen.Inputs());
    };
    specification.panel = PanelRebuild::kOnChange;
    return {"COpt_Repm", {specification}};
}

std::vector<TestOption> PowerFMultivariate::CriterionOptions(PanelRebuild panel) {
    const auto choice = [this] {
        return ChoiceOfCriterion(criterion->GetCriterionId()).value_or(CriterionChoice{-1, -1});
    };
    TestOption statistic = ShownOption(kCriterionStatisticOption, OptionKind::kChoice, [choice] {
        return static_cast<double>(choice().statistic);
    });
    // The statistic's write takes both choices; a dialog that returned only
    // one names no criterion.
    statistic.write = [this](double, const OptionValues& chosen, OptionScreen&) {
        const auto s = chosen.find(kCriterionStatisticOption);
        const auto a = chosen.find(kCriterionAlgorithmOption);
        const bool both = s != chosen.end() && a != chosen.end();
        SetCriterion(
            both ? CriterionOfChoice(static_cast<int>(s->second), static_cast<int>(a->second))
                 : -1);
    };
    statistic.panel = panel;
    TestOption algorithm = ShownOption(kCriterionAlgorithmOption, OptionKind::kChoice, [choice] {
        return static_cast<double>(choice().algorithm);
    });
    algorithm.panel = panel;
    return {statistic, algorithm};
}

TestOptions PowerFManovaGlobal::Options() {
    // The effect panel shows the criterion it converts with.
    return {"COpt_F_Manova", CriterionOptions(PanelRebuild::kAlways)};
}

TestOptions PowerFRepMMultiBetween::Options() {
    TestOptions options{"COpt_RepMMulti", CriterionOptions(PanelRebuild::kOnChange)};
    TestOption meanCorrelation =
        FlagOption(kMeanCorrelationOption, useMeanCorrelation, PanelRebuild::kOnChange);
    // The interaction has no mean correlation to use.
    meanCorrelation.enabled = GetTestId() != kManovaRepeatedInteractionTestId;
    options.options.push_back(meanCorrelation);
    return options;
}

int ChosenCriterion(PowerAnalysis* test) {
    if (!test) return -1;
    const TestOptions options = test->Options();
    const auto statistic = options.Value(kCriterionStatisticOption);
    const auto algorithm = options.Value(kCriterionAlgorithmOption);
    if (!statistic || !algorithm) return -1;
    return CriterionOfChoice(static_cast<int>(*statistic), static_cast<int>(*algorithm));
}
