#include "app/frame/test_commands.h"

namespace {

constexpr const char* kCorrelation = "Correlation and regression";
constexpr const char* kMeans = "Means";
constexpr const char* kProportions = "Proportions";
constexpr const char* kVariances = "Variances";
constexpr const char* kGeneric = "Generic";

}  // namespace

const std::vector<TestCommand>& TestIdCommandTable() {
    static const std::vector<TestCommand> table = {
        {32801, kCorrelation, "Correlation: Bivariate normal model", 605},
        {32800, kCorrelation, "Correlation: Point biserial model", 202},
        {32907, kCorrelation, "Correlation: Tetrachoric model", 309},
        {32901, kCorrelation, "Correlations: Two dependent Pearson r's (common index)", 306},
        {32903, kCorrelation, "Correlations: Two dependent Pearson r's (no common index)", 307},
        {32802, kCorrelation, "Correlations: Two independent Pearson r's", 302},
        {32902, kCorrelation, "Linear bivariate regression: One group, size of slope", 211},
        {32906, kCorrelation,
         "Linear bivariate regression: Two groups, difference between intercepts", 209},
        {32905, kCorrelation, "Linear bivariate regression: Two groups, difference between slopes",
         208},
        {32833, kCorrelation, "Linear multiple regression: Fixed model, R² deviation from zero",
         103},
        {32834, kCorrelation, "Linear multiple regression: Fixed model, R² increase", 104},
        {32908, kCorrelation,
         "Linear multiple regression: Fixed model, single regression coefficient", 210},
        {32909, kCorrelation, "Linear multiple regression: Random model", 611},
        {32910, kCorrelation, "Logistic regression", 310},
        {32904, kCorrelation, "Poisson regression", 308},
        {32792, kMeans, "One group: Difference from constant", 203},
        {32881, kMeans, "One group: Wilcoxon (non-parametric)", 205},
        {32830, kMeans, "Two dependent groups (matched pairs)", 204},
        {32898, kMeans, "Two dependent groups (matched pairs): Wilcoxon (non-parametric)", 207},
        {32829, kMeans, "Two independent groups", 201},
        {32882, kMeans, "Two independent groups: Wilcoxon (non-parametric)", 206},
        {32815, kMeans, "Many groups: ANCOVA: Main effects and interactions", 116},
        {32817, kMeans, "Many groups: ANOVA: One-way (one independent variable)", 101},
        {32818, kMeans,
         "Many groups: ANOVA: Main effects and interactions (two or more independent variables)",
         102},
        {32839, kMeans, "Repeated measures: Between factors, ANOVA-approach", 108},
        {32840, kMeans, "Repeated measures: Between factors, MANOVA-approach", 111},
        {32841, kMeans, "Repeated measures: Within factors, ANOVA-approach", 109},
        {32842, kMeans, "Repeated measures: Within factors, MANOVA-approach", 112},
        {32845, kMeans, "Repeated measures: Within-between interactions, ANOVA-approach", 110},
        {32846, kMeans, "Repeated measures: Within-between interactions, MANOVA-approach", 113},
        {32831, kMeans, "Multivariate: Hotelling T², one group", 106},
        {32832, kMeans, "Multivariate: Hotelling T², two groups", 107},
        {32858, kMeans, "Multivariate: MANOVA: Global effects", 114},
        {32860, kMeans, "Multivariate: MANOVA: Special effects and interactions", 115},
        {32807, kProportions, "One group: Difference From Constant", 602},
        {32808, kProportions, "One group: Sign Test", 603},
        {32856, kProportions, "Two dependent groups: Inequality, McNemar test", 604},
        {32870, kProportions, "Two independent groups: Inequality, Fisher's exact test", 606},
        {32866, kProportions, "Two independent groups: Inequality, unconditional exact", 607},
        {32869, kProportions, "Two independent groups: Inequality with offset, unconditional exact",
         608},
        {32868, kProportions, "Two independent groups: Inequality, z-Test", 301},
        {32826, kProportions, "Multigroup: Goodness-of-Fit", 401},
        {32798, kVariances, "One group", 402},
        {32799, kVariances, "Two groups", 105},
        {32855, kGeneric, "Generic binomial test", 601},
        {32848, kGeneric, "Generic F", 100},
        {32849, kGeneric, "Generic t", 200},
        {32853, kGeneric, "Generic Chi²", 400},
        {32854, kGeneric, "Generic z", 300},
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
