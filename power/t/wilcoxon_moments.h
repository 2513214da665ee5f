#pragma once

// The shift of a parent distribution and the probabilities (moments) of the
// Wilcoxon rank statistics that follow from it. A parent is named by its
// code: 2 Laplace, 3 normal, 4 logistic, 5 the minimal efficiency (the
// A.R.E. method only), 6 an efficiency entered by hand; any other code is
// no parent. `samples` is 1 for the signed-rank tests and 2 for the
// two-group rank-sum test; delta is the shift divided by the standard
// deviation of the parent.

// The parent code of the option index of "Parent distribution" ("Normal",
// "Laplace", "Logistic", "min ARE"); method is the test's method code, and
// only the A.R.E. method (1) knows the minimal efficiency.
int WilcoxParentCode(int method, int option);
// The option index that shows a parent code.
int WilcoxParentIndex(int method, int code);

// p1 of a shift: P(X > 0) for one sample, P(X < Y) for two groups.
double WilcoxP1FromDelta(double delta, int samples, int code);
// The shift of a p1: the inverse of WilcoxP1FromDelta.
double wilcox_p1_to_delta(double p1, int samples, int code);
// The shift an effect stands for: under method 2 the effect is a p1.
double WilcoxEffectToDelta(double effect, int method, int samples, int code);

// The probability that the sum of two centred parent variates exceeds -v,
// v on the scale of the parent.
double WilcoxPairSumProbability(double v, int code);
// The probability of three observations: p3 of the signed-rank test, p2
// and p3 of the two-group test.
double WilcoxTripleProbability(double v, int samples, int code);

// p1, p2 and p3 of the rank statistic under the shift delta of a parent
// (any code but Laplace and logistic counts as normal).
void WilcoxMomentsOfShift(double delta, int samples, int code, double* p1, double* p2, double* p3);

// Mean and variance of the signed-rank statistic of n pairs under H0, and
// its critical values at the normal point with upper tail `tail` (moved
// outward by 0.5 with the continuity correction cc). The point comes from
// the lower tail, which keeps its digits where 1 - tail rounds to 1.
void WilcoxSignedRankNullMoments(double tail, double n, double* lower, double* upper, double* mean0,
                                 double* var0, bool cc);
