#include "app/options/option_codes.h"

#include "analysis/ids.h"

namespace option_codes {

const std::vector<CodedEntry>& EffectIndexEntries() {
    static const std::vector<CodedEntry> entries = {
        {"Proportion p1", 0},
        {"Difference (p1-p2)", 1},
        {"Risk ratio (p1/p2)", 2},
        {"Odds ratio", 3},
    };
    return entries;
}

std::vector<CodedEntry> UncondStatistics(int testId, int effectIndexCode) {
    if (testId == kUnconditionalTwoProportionsTestId) {
        return {
            {"z-test pooled var", 0},
            {"z-test pooled var with cont. corr.", 1},
            {"z-test unpooled var", 2},
            {"z-test unpooled var with cont. corr.", 3},
            {"Mantel-Haenszel test", 4},
            {"Likelihood ratio", 5},
            {"t-test", 6},
        };
    }
    if (testId != kUnconditionalOffsetTestId) return {};
    switch (effectIndexCode) {
        case 2:
            return {
                {"Likelihood score: (Gart & Nam)", 12},
                {"Likelihood score: (Farrington & Manning)", 10},
                {"Likelihood score: (Miettinen & Nurminen)", 11},
            };
        case 3:
            return {
                {"Likelihood score: (Farrington & Manning)", 13},
                {"Likelihood score: (Miettinen & Nurminen)", 14},
            };
        default:
            return {
                {"z-test pooled var", 0},
                {"z-test pooled var with cont. corr.", 1},
                {"z-test unpooled var", 2},
                {"z-test unpooled var with cont. corr.", 3},
                {"t-test", 6},
                {"Likelihood score: (Gart & Nam)", 9},
                {"Likelihood score: (Farrington & Manning)", 7},
                {"Likelihood score: (Miettinen & Nurminen)", 8},
            };
    }
}

int PositionOfCode(const std::vector<CodedEntry>& entries, int code) {
    for (size_t i = 0; i < entries.size(); ++i) {
        if (entries[i].code == code) return static_cast<int>(i);
    }
    return 0;
}

int UncondStatisticCodeAt(int testId, int effectIndexCode, int position) {
    const std::vector<CodedEntry> entries = UncondStatistics(testId, effectIndexCode);
    if (position < 0 || position >= static_cast<int>(entries.size())) return 0;
    return entries[static_cast<size_t>(position)].code;
}

const std::vector<std::string>& FisherStatistics() {
    static const std::vector<std::string> names = {"Fisher", "Likelihood ratio",
                                                   "Pearson chi square"};
    return names;
}

const std::vector<std::string>& AlphaBalancingLabels() {
    static const std::vector<std::string> labels = {
        "Assign $\\alpha$/2 to both sides",
        "Assign to minor tail $\\alpha$/2, then rest to major tail ($\\alpha$2 = $\\alpha$/2, "
        "$\\alpha$1 = $\\alpha$-$\\alpha$2)",
        "Assign $\\alpha$/2 to both sides, then increase to minimize the difference of "
        "$\\alpha$1 + $\\alpha$2 < $\\alpha$ to $\\alpha$",
    };
    return labels;
}

WilcoxonEnabling WilcoxonEnablingFor(const WilcoxonChoice& choice) {
    const bool lehmann = choice.mode == 0;
    // Moments given by hand fix the effect and what can be output.
    const bool fromDistribution = lehmann && choice.inputMethod != 1;
    return {
        !lehmann,
        lehmann,
        fromDistribution,
        fromDistribution,
        choice.effectParameter == 1 ? "output effect size d and moment p2"
                                    : "output moments p1, p2",
    };
}

ComputationEnabling ComputationEnablingFor(int computation) {
    const bool largeSample = computation == 1;
    return {!largeSample, largeSample, largeSample};
}

}  // namespace option_codes
