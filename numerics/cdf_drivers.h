#pragma once

// Cumulative-distribution drivers (after Brown, Lovato and Russell's
// library): each relates the lower tail p, the upper tail q = 1 - p, the
// argument and the parameters of one distribution. `which` names the one
// unknown: 1 computes p and q, the other codes recover the argument or a
// parameter by searching (bracket search or, for quantities in [0, 1], the
// zero finder) to a relative accuracy of 1e-12.
//
// Every argument is passed by pointer and may be input or output. The
// drivers never throw; they report through status and bound:
//   0      done, the unknown has been written (bound untouched);
//   -1     which out of range (bound 1 when below 1, else the largest code);
//   -k     argument k of the list (which counting as 1) is out of range,
//          bound the limit it violated; an argument that is not a number
//          fails its first check (bound NaN where the argument has no
//          limits), so it never reaches a search; an infinite parameter
//          (shape, trials, degrees of freedom, noncentrality, mean, sd)
//          exceeds the largest double, which is its bound;
//   1, 2   the answer lies below / above the search range, bound the end;
//   3      p + q is not 1 (bound 0 if the sum is negative, else 1);
//   4      x + y (cdfbet) or pr + ompr (cdfbin) is not 1, bound as for 3;
//   10     a cumulative routine failed: for which 1 the pair it gave is not
//          a pair of probabilities (p and q are left as it wrote them); in
//          the cdfchi searches the incomplete gamma ratio failed.
// Checks run in argument order and the first failure wins; the unknown is
// not touched by a failed check. On status 1 or 2 it holds the last point
// searched.
//
// All working values, the search state included, belong to the call, so
// the drivers may run on several threads at once.

// Beta with shape parameters a and b; x in [0, 1], y = 1 - x. which 1: p, q;
// 2: x and y; 3: a; 4: b.
void cdfbet(int* which, double* p, double* q, double* x, double* y, double* a, double* b,
            int* status, double* bound);

// Binomial: P(X <= s) for xn trials of success probability pr, ompr = 1 - pr.
// which 1: p, q; 2: s; 3: xn; 4: pr and ompr.
void cdfbin(int* which, double* p, double* q, double* s, double* xn, double* pr, double* ompr,
            int* status, double* bound);

// Central chi-square. which 1: p, q; 2: x; 3: df.
void cdfchi(int* which, double* p, double* q, double* x, double* df, int* status, double* bound);

// Central F. which 1: p, q; 2: f; 3: dfn; 4: dfd.
void cdff(int* which, double* p, double* q, double* f, double* dfn, double* dfd, int* status,
          double* bound);

// Noncentral F with noncentrality phonc. which 1: p, q; 2: f; 3: dfn; 4: dfd;
// 5: phonc. The searches use the lower tail only; q is neither checked nor
// read. A phonc above 1e10 is refused as argument -7 with that bound (an
// infinite one with the largest double).
void cdffnc(int* which, double* p, double* q, double* f, double* dfn, double* dfd, double* phonc,
            int* status, double* bound);

// Normal. which 1: p, q; 2: x; 3: mean; 4: sd (closed forms over the normal
// quantile).
void cdfnor(int* which, double* p, double* q, double* x, double* mean, double* sd, int* status,
            double* bound);

// Student t. which 1: p, q; 2: t; 3: df.
void cdft(int* which, double* p, double* q, double* t, double* df, int* status, double* bound);
