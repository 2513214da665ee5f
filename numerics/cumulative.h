#pragma once

// Cumulative distribution functions with their complements, each computed
// as its own quantity (cum the lower tail, ccum the upper), and the
// incomplete gamma ratio (DiDonato and Morris, ACM TOMS 654). Arguments by
// pointer in the published order; all intermediates are local, so the
// routines are re-entrant. None of them throws.

// Incomplete beta ratio I_x(a, b), y = 1 - x.
void cumbet(double* x, double* y, double* a, double* b, double* cum, double* ccum);
// Binomial P(X <= s) for xn trials with success probability pr, ompr = 1 - pr.
void cumbin(double* s, double* xn, double* pr, double* ompr, double* cum, double* ccum);
// Central chi-square with df degrees of freedom.
void cumchi(double* x, double* df, double* cum, double* ccum);
// Central F with dfn, dfd degrees of freedom.
void cumf(double* f, double* dfn, double* dfd, double* cum, double* ccum);
// Noncentral F with noncentrality pnonc. Both outputs are NaN for an
// argument that is not a number, an infinite degree of freedom or a
// noncentrality above 1e10.
void cumfnc(double* f, double* dfn, double* dfd, double* pnonc, double* cum, double* ccum);
// Standard normal distribution function (Cody, ACM TOMS 715).
void cumnor(double* arg, double* result, double* ccum);
// Student t with df degrees of freedom.
void cumt(double* t, double* df, double* cum, double* ccum);

// ans = P(a, x), qans = Q(a, x). ind selects the accuracy: 0 full
// precision, 1 about 6 digits, 2 about 3 digits. ans = 2 marks an invalid
// argument (a < 0, x < 0, a = x = 0, or an argument that is not a number).
void gratio(double* a, double* x, double* ans, double* qans, int* ind);
