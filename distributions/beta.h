#pragma once

#include <string>

#include "distributions/distribution.h"

// Beta distribution with shape parameters a = p[0] and b = p[1].
class BetaDistribution : public Distribution {
  public:
    explicit BetaDistribution(double a = 1.0, double b = 1.0) {
        p[0] = a;
        p[1] = b;
    }

    // 0 outside the open interval (0, 1) and for non-positive shapes.
    double Pdf(double x) override;
    // Driver failures (shapes <= 0, x outside [0, 1], a failed search) throw
    // QuorixError "BetaDist-Cdf: ..." / "BetaDist-Quantile: ..." rather than
    // returning a value the driver never wrote.
    double Cdf(double x) override;
    double Quantile(double prob) override;
    double GetMean() override { return p[0] / (p[0] + p[1]); }
    double GetVariance() override {
        const double s = p[0] + p[1];
        return p[0] * p[1] / (s * s * (s + 1.0));
    }
    std::string GetName() override { return "Beta"; }
    int GetParamCount() override { return 2; }
    std::string GetParamName(int i) override { return i == 0 ? "shape alpha" : "shape beta"; }
};
