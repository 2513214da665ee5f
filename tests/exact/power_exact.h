#pragma once

#include <string>

#include "analysis/power_analysis.h"

// Base of the exact tests: the tests whose statistic has an exact, mostly
// discrete distribution. It only groups the family; every member replaces
// the continuous solvers of PowerAnalysis by searches of its own over counts
// and reports the error rates it attains ("Actual alpha", "Actual power").
class PowerExact : public PowerAnalysis {
  public:
    std::string GetFamilyName() override { return "Exact"; }
    // Every exact test has options.
    bool HasOptions() override { return true; }
};
