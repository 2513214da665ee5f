#pragma once

#include <cmath>

#include "analysis/family_support.h"
#include "analysis/read_check_solve.h"
#include "numerics/quorix_error.h"

// The solve by type of the exact tests whose effect is a proportion under
// H1. Their A priori search finds the N of its own design and puts back the
// shown N when it fails; a Sensitivity answer rebuilds the proportion from
// the effect found; Compromise keeps the ratio it met, and where no count or
// table can be rejected there is no ratio to meet. Post hoc and Criterion
// are the path's.
template <class Test>
void SolveExactType(Test& test, AnalysisType type, const ReadCheckSolve& path,
                    const GivenValues& v) {
    switch (type) {
        case kAPriori:
            test.sampleSize = RestoringOnFailure(test.sampleSize, [&] {
                return test.SolveSampleSize(v.effect, v.alpha, v.power, true);
            });
            return;
        case kCompromise:
            test.actualRatio =
                path.sample == SampleInputs::kGroups
                    ? test.SolveCompromise2(v.effect, v.ratio, test.groupSize1, test.groupSize2)
                    : test.SolveCompromise(v.effect, v.ratio, static_cast<double>(v.sampleSize));
            if (!std::isfinite(test.actualRatio)) {
                throw QuorixError("Solver-Compromise: no solution", QuorixError::kNoConvergence,
                                  0.0);
            }
            return;
        default:
            SolveByType(test, type, path, v);
            if (type == kSensitivity) test.UpdateProportionH1();
            return;
    }
}
