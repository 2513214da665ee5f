#pragma once

#include <optional>
#include <string>
#include <vector>

// Cohen's f of a repeated-measures MANOVA effect from a complete population
// description: the mean of every group at every measurement, the covariance
// of the measurements (as covariances, or SDs with correlations) and the
// groups' relative sizes. The cell-means model of the general linear
// multivariate model is built and the test of the current criterion is run
// without power; its statistic and effect are the results.
namespace effectsize::rm_mean_cov {

// The form of the covariance input: 0 covariances, 1 SDs and correlations,
// 2 SDs and a correlation pattern.
enum InputMethod { kCovariance = 0, kSdCorrelation = 1, kSdPattern = 2 };

using Table = std::vector<std::vector<double>>;

struct Inputs {
    Table means;                  // G x M
    Table covariance;             // M x M in the form of the input method
    std::vector<double> weights;  // G
    int inputMethod = kSdPattern;
    int variant = 0;  // 0 between factors, 1 within factors, 2 the interaction
    double n = 100.0;
    int criterionId = 107;
};

inline constexpr const char* kWeightMessage = "Sample size weights must be > 0 for all groups";
inline constexpr const char* kModelMessage = "An error occured - check the mean and cov matrix";

struct Result {
    double f = 0.0;
    double criterionValue = 0.0;
    // Set when nothing is to be shown: a weight of 0 or below, a model that
    // fails, or an effect that is negative or not a number.
    std::optional<std::string> error;
};

// The criterion's statistic and f of the hypothesis C B A: C and A by the
// variant (Helmert contrasts of the groups or the measurements, or the unit
// row), the weights normalised to sum 1.
Result Compute(const Inputs& inputs);

// The pattern of input method 2 on SDs and correlations: every
// off-diagonal entry (i, j) becomes corr, or corr^|i - j| with the first-
// order autoregressive pattern; the diagonal stays.
// False, the table as it was, when an entry would not be a finite number.
bool BuildCorrelationPattern(Table* sdCorr, double corr, bool autoregressive);

}  // namespace effectsize::rm_mean_cov
