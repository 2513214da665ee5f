#include "app/frame/test_commands.h"

#include "analysis/ids.h"

namespace {

constexpr const char* kCorrelation = "Correlation and regression";
constexpr const char* kMeans = "Means";
constexpr const char* kProportions = "Proportions";
constexpr const char* kVariances = "Variances";
constexpr const char* kGeneric = "Generic";

}  // namespace

const std::vector<TestCommand>& TestIdCommandTable() {
    static const std::vector<TestCommand> table = {
        {32801, kCorrelation, "Correlation: Bivariate normal model", kCorrelationExactTestId},
        {32800, kCorrelation, "Correlation: Point biserial model", kPointBiserialTestId},
        {32907, kCorrelation, "Correlation: Tetrachoric model", kTetrachoricTestId},
        {32901, kCorrelation, "Correlations: Two dependent Pearson r's (common index)",
         kDependentCorrelationsCommonIndexTestId},
        {32903, kCorrelation, "Correlations: Two dependent Pearson r's (no common index)",
         kDependentCorrelationsTestId},
        {32802, kCorrelation, "Correlations: Two independent Pearson r's", kTwoCorrelationsTestId},
        {32902, kCorrelation, "Linear bivariate regression: One group, size of slope",
         kOneSlopeTestId},
        {32906, kCorrelation,
         "Linear bivariate regression: Two groups, difference between intercepts",
         kTwoInterceptsTestId},
        {32905, kCorrelation, "Linear bivariate regression: Two groups, difference between slopes",
         kTwoSlopesTestId},
        {32833, kCorrelation, "Linear multiple regression: Fixed model, R² deviation from zero",
         kRegressionR2TestId},
        {32834, kCorrelation, "Linear multiple regression: Fixed model, R² increase",
         kRegressionR2IncreaseTestId},
        {32908, kCorrelation,
         "Linear multiple regression: Fixed model, single regression coefficient",
         kRegressionCoefficientTestId},
        {32909, kCorrelation, "Linear multiple regression: Random model", kRegressionRandomTestId},
        {32910, kCorrelation, "Logistic regression", kLogisticRegressionTestId},
        {32904, kCorrelation, "Poisson regression", kPoissonRegressionTestId},
        {32792, kMeans, "One group: Difference from constant", kOneMeanTestId},
        {32881, kMeans, "One group: Wilcoxon (non-parametric)", kWilcoxonOneSampleTestId},
        {32830, kMeans, "Two dependent groups (matched pairs)", kMatchedPairsTestId},
        {32898, kMeans, "Two dependent groups (matched pairs): Wilcoxon (non-parametric)",
         kWilcoxonMatchedPairsTestId},
        {32829, kMeans, "Two independent groups", kTwoMeansTestId},
        {32882, kMeans, "Two independent groups: Wilcoxon (non-parametric)",
         kWilcoxonTwoGroupsTestId},
        {32815, kMeans, "Many groups: ANCOVA: Main effects and interactions", kAncovaTestId},
        {32817, kMeans, "Many groups: ANOVA: One-way (one independent variable)",
         kAnovaGlobalTestId},
        {32818, kMeans,
         "Many groups: ANOVA: Main effects and interactions (two or more independent variables)",
         kAnovaSpecialTestId},
        {32839, kMeans, "Repeated measures: Between factors, ANOVA-approach",
         kRepeatedBetweenTestId},
        {32840, kMeans, "Repeated measures: Between factors, MANOVA-approach",
         kManovaRepeatedBetweenTestId},
        {32841, kMeans, "Repeated measures: Within factors, ANOVA-approach", kRepeatedWithinTestId},
        {32842, kMeans, "Repeated measures: Within factors, MANOVA-approach",
         kManovaRepeatedWithinTestId},
        {32845, kMeans, "Repeated measures: Within-between interactions, ANOVA-approach",
         kRepeatedInteractionTestId},
        {32846, kMeans, "Repeated measures: Within-between interactions, MANOVA-approach",
         kManovaRepeatedInteractionTestId},
        {32831, kMeans, "Multivariate: Hotelling T², one group", kHotellingOneGroupTestId},
        {32832, kMeans, "Multivariate: Hotelling T², two groups", kHotellingTwoGroupsTestId},
        {32858, kMeans, "Multivariate: MANOVA: Global effects", kManovaGlobalTestId},
        {32860, kMeans, "Multivariate: MANOVA: Special effects and interactions",
         kManovaSpecialTestId},
        {32807, kProportions, "One group: Difference From Constant", kProportionTestId},
        {32808, kProportions, "One group: Sign Test", kSignTestId},
        {32856, kProportions, "Two dependent groups: Inequality, McNemar test", kMcNemarTestId},
        {32870, kProportions, "Two independent groups: Inequality, Fisher's exact test",
         kFisherTestId},
        {32866, kProportions, "Two independent groups: Inequality, unconditional exact",
         kUnconditionalTwoProportionsTestId},
        {32869, kProportions, "Two independent groups: Inequality with offset, unconditional exact",
         kUnconditionalOffsetTestId},
        {32868, kProportions, "Two independent groups: Inequality, z-Test", kTwoProportionsTestId},
        {32826, kProportions, "Multigroup: Goodness-of-Fit", kGoodnessOfFitTestId},
        {32798, kVariances, "One group", kVarianceTestId},
        {32799, kVariances, "Two groups", kVarianceRatioTestId},
        {32855, kGeneric, "Generic binomial test", kGenericBinomialTestId},
        {32848, kGeneric, "Generic F", kGenericFTestId},
        {32849, kGeneric, "Generic t", kGenericTTestId},
        {32853, kGeneric, "Generic Chi²", kGenericChiSquareTestId},
        {32854, kGeneric, "Generic z", kGenericZTestId},
        {32899, "", "", 305},
        {32900, "", "", 304},
    };
    return table;
}

int TestIdForCommand(int commandId) {
    for (const TestCommand& command : TestIdCommandTable()) {
        if (command.commandId == commandId) return command.testId;
    }
    return -1;
}
