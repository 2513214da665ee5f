# Reference values for the F tests of designs (ANOVA of main effects and
# interactions, ANCOVA, fixed-model multiple regression, Hotelling's T^2 for
# one and two groups), the test of two variances and the chi-square test of
# one variance against a constant, computed in R.
#
#   Rscript reference.R > cases.tsv
#
# Critical values are R's central quantiles (qf, qchisq). Powers of the
# noncentral F are upper tails written as Poisson mixtures of central beta
# upper tails (pbeta with lower.tail = FALSE), as in ../f_chi_tests: R's pf
# with ncp stops its series at an error of 1e-9. Each is also checked against
# pf with ncp. The variance tests need only the central F and chi-square
# distributions, the alternative being a scale: under H1 the statistic is r
# times its H0 distribution.
#
# Multiple regression: pwr.f2.test writes lambda = f2 (u + v + 1) with
# v = N - p - 1, which for the R^2 increase is not f2 N; the power here is
# that of lambda = f2 N, and pwr.f2.test is compared only for the test of R^2
# against zero, where u + v + 1 = N.
#
# Each row: test id, analysis type, expected calculation status, the inputs
# and the expected outputs as key=value pairs with the short keys that
# analysis/calculation_test_support.h maps to parameter labels.

suppressPackageStartupMessages(library(pwr))

fmt <- function(x) if (is.character(x)) x else sprintf("%.15g", x)
kv <- function(l) paste(paste0(names(l), "=", sapply(l, fmt)), collapse = " ")
emit <- function(test, type, status, inputs, outputs) {
  cat(test, type, status, kv(inputs), kv(outputs), sep = "\t")
  cat("\n")
}
solve <- function(f, lo, hi) uniroot(f, c(lo, hi), tol = 1e-15, maxiter = 10000)$root
round_to <- function(x) floor(x + 0.5)
# Whole groups of a two-group A priori total N at the allocation ratio
# N2/N1: N1 rounded to the nearest whole number, N2 the rest, equal groups
# for a ratio of 1, at least one subject each; where that split falls short
# of the target power the next totals are split alike.
split_total <- function(N, ratio, pw, target) {
  repeat {
    n1 <- round_to(N / (ratio + 1)); n2 <- ceiling(N - n1)
    if (abs(ratio - 1) < 1e-8 && n1 != n2) { if (n1 < n2) n1 <- n1 + 1 else n2 <- n2 + 1 }
    n1 <- max(n1, 1); n2 <- max(n2, 1)
    if (pw(n1, n2) >= target) return(c(n1, n2))
    N <- N + 1
  }
}

terms <- function(m) {
  j <- seq(max(0, floor(m - 40 * sqrt(m) - 40)), ceiling(m + 40 * sqrt(m) + 40))
  list(j = j, w = dpois(j, m))
}
fcrit <- function(a, d1, d2) qf(1 - a, d1, d2)
fupper <- function(x, d1, d2, l) {
  t <- terms(l / 2)
  sum(t$w * pbeta(d1 * x / (d1 * x + d2), d1 / 2 + t$j, d2 / 2, lower.tail = FALSE))
}
fpow <- function(l, a, d1, d2) {
  p <- fupper(fcrit(a, d1, d2), d1, d2, l)
  stopifnot(abs(p - pf(fcrit(a, d1, d2), d1, d2, ncp = l, lower.tail = FALSE)) < 1e-8)
  p
}
# The smallest whole N >= lo whose power reaches the target; pw(N) grows with N.
smallest_n <- function(pw, target, lo) {
  n <- lo
  if (pw(n) < target) {
    hi <- lo + 1
    while (pw(hi) < target) hi <- 2 * hi
    n <- ceiling(solve(function(x) pw(x) - target, lo, hi))
    while (n > lo && pw(n - 1) >= target) n <- n - 1
    while (pw(n) < target) n <- n + 1
  }
  n
}

cat("# test\ttype\tstatus\tinputs\toutputs\n")

# Every F design: df1(N), df2(N) and lambda(eff, N) of the test; the five
# analysis types with the standard outputs (lambda, critical F, the df shown).
fdesign <- function(id, design, key, inputs, shown_df, lo) {
  outs <- function(e, a, N) {
    d1 <- design$df1(N); d2 <- design$df2(N)
    o <- list(lambda = design$lambda(e, N), crit = fcrit(a, d1, d2))
    if ("df1" %in% shown_df) o$df1 <- d1
    if ("df2" %in% shown_df) o$df2 <- d2
    o
  }
  pw <- function(e, a, N) fpow(design$lambda(e, N), a, design$df1(N), design$df2(N))
  list(
    apriori = function(e, a, p) {
      N <- smallest_n(function(N) pw(e, a, N), p, lo)
      emit(id, "apriori", -1, c(setNames(list(e), key), list(alpha = a, power = p), inputs),
           c(outs(e, a, N), list(N = N, actual = pw(e, a, N))))
      invisible(N)
    },
    posthoc = function(e, a, N, status = -1) {
      p <- pw(e, a, N)
      emit(id, "posthoc", status, c(setNames(list(e), key), list(alpha = a, N = N), inputs),
           c(outs(e, a, N), list(power = p)))
      invisible(p)
    },
    sensitivity = function(a, p, N) {
      e <- solve(function(e) pw(e, a, N) - p, 1e-6, 50)
      emit(id, "sensitivity", -1, c(list(alpha = a, power = p, N = N), inputs),
           c(outs(e, a, N), setNames(list(e), key)))
    },
    criterion = function(e, p, N) {
      a <- solve(function(a) pw(e, a, N) - p, 1e-12, 1 - 1e-12)
      emit(id, "criterion", -1, c(setNames(list(e), key), list(power = p, N = N), inputs),
           c(outs(e, a, N), list(alpha = a)))
    },
    compromise = function(e, q, N) {
      a <- solve(function(a) (1 - pw(e, a, N)) - q * a, 1e-12, 1 - 1e-12)
      p <- pw(e, a, N)
      emit(id, "compromise", -1, c(setNames(list(e), key), list(q = q, N = N), inputs),
           c(outs(e, a, N), list(alpha = a, beta = 1 - p, power = p)))
    })
}

# ======================== ANOVA, main effects and interactions (102), ANCOVA (116)
anova <- function(u, k, cov = NA) {
  c0 <- if (is.na(cov)) 0 else cov
  design <- list(df1 = function(N) u, df2 = function(N) N - k - c0,
                 lambda = function(f, N) f^2 * N)
  inputs <- list(df1 = u, k = k)
  if (!is.na(cov)) inputs$cov <- cov
  # The A priori search starts where the denominator df is 1.
  fdesign(if (is.na(cov)) 102 else 116, design, "f", inputs, "df2", k + c0 + 1)
}
t <- anova(4, 10)
t$apriori(0.25, 0.05, 0.95)
t$posthoc(0.25, 0.05, 100)
t$posthoc(0, 0.05, 100)
t$sensitivity(0.05, 0.95, 100)
t$criterion(0.25, 0.8, 100)
t$compromise(0.25, 1, 100)
anova(1, 2)$apriori(0.4, 0.01, 0.9)
# A large effect: the smallest N the design admits is already enough.
anova(2, 6)$apriori(5, 0.05, 0.8)
# The same design with no covariate gives the same results.
t <- anova(4, 10, 0)
t$apriori(0.25, 0.05, 0.95)
t$posthoc(0.25, 0.05, 100)
t <- anova(3, 6, 2)
t$apriori(0.25, 0.05, 0.95)
t$posthoc(0.25, 0.05, 60)
t$sensitivity(0.05, 0.9, 60)
t$criterion(0.3, 0.8, 60)
t$compromise(0.3, 2, 60)
# One denominator df left.
anova(3, 4, 15)$posthoc(0.5, 0.05, 20)
# Many covariates for the groups: the search starts at k + q + 1.
anova(2, 3, 30)$apriori(0.5, 0.05, 0.95)
anova(2, 3, 30)$apriori(3, 0.05, 0.95)

# ============ multiple regression, fixed model: R^2 against zero (103), R^2 increase (104)
mrc <- function(id, q, p) {
  design <- list(df1 = function(N) q, df2 = function(N) N - p - 1,
                 lambda = function(f2, N) f2 * N)
  inputs <- if (id == 103) list(predictors = p) else list(ptested = q, ptotal = p)
  fdesign(id, design, "f2", inputs, c("df1", "df2"), p + 2)
}
t <- mrc(103, 5, 5)
N <- t$apriori(0.15, 0.05, 0.95)
stopifnot(N == 138)
# pwr.f2.test agrees here, where u + v + 1 is N.
stopifnot(abs(pwr.f2.test(u = 5, v = 138 - 6, f2 = 0.15, sig.level = 0.05)$power -
              fpow(0.15 * 138, 0.05, 5, 132)) < 1e-8)
t$posthoc(0.15, 0.05, 100)
t$posthoc(0, 0.05, 100)
t$sensitivity(0.05, 0.95, 100)
t$criterion(0.15, 0.8, 100)
t$compromise(0.15, 1, 100)
mrc(103, 1, 1)$apriori(0.02, 0.05, 0.8)
mrc(103, 2, 2)$apriori(40, 0.05, 0.95)
# The smallest N: one denominator df.
mrc(103, 5, 5)$posthoc(0.5, 0.05, 7)
t <- mrc(104, 2, 5)
N <- t$apriori(0.15, 0.05, 0.95)
stopifnot(N == 107)
p <- t$posthoc(0.15, 0.05, 100)
# pwr.f2.test's lambda f2 (u + v + 1) = f2 (N - p + q) is not f2 N here.
stopifnot(abs(pwr.f2.test(u = 2, v = 94, f2 = 0.15, sig.level = 0.05)$power - p) > 1e-3)
t$sensitivity(0.05, 0.95, 100)
t$criterion(0.15, 0.8, 100)
t$compromise(0.15, 1, 100)
mrc(104, 5, 5)$posthoc(0.1, 0.05, 50)
mrc(104, 1, 10)$apriori(100, 0.01, 0.95)

# ========================================== Hotelling's T^2, one group (106)
hot1 <- function(p) {
  design <- list(df1 = function(N) p, df2 = function(N) N - p,
                 lambda = function(d, N) d^2 * N)
  fdesign(106, design, "D", list(resp = p), c("df1", "df2"), p + 1)
}
t <- hot1(2)
stopifnot(t$apriori(0.5, 0.05, 0.95) == 65, t$apriori(0.15, 0.05, 0.95) == 690)
t$posthoc(0.5, 0.05, 40)
t$posthoc(0, 0.05, 40)
t$sensitivity(0.05, 0.95, 100)
t$criterion(0.3, 0.9, 100)
t$compromise(0.3, 1, 100)
hot1(5)$apriori(10, 0.05, 0.95)
hot1(1)$posthoc(1, 0.01, 2)

# ========================================= Hotelling's T^2, two groups (107)
hot2_pow <- function(d, a, n1, n2, p) fpow(d^2 * n1 * n2 / (n1 + n2), a, p, n1 + n2 - p - 1)
hot2_outs <- function(d, a, n1, n2, p)
  list(lambda = d^2 * n1 * n2 / (n1 + n2), crit = fcrit(a, p, n1 + n2 - p - 1),
       df1 = p, df2 = n1 + n2 - p - 1)
hot2_apriori <- function(d, a, target, r, p) {
  pw <- function(x) hot2_pow(d, a, x / (1 + r), x - x / (1 + r), p)
  lo <- p + 2
  N <- if (pw(lo) >= target) lo else ceiling(solve(function(x) pw(x) - target, lo, 1e7))
  g <- split_total(N, r, function(n1, n2) hot2_pow(d, a, n1, n2, p), target)
  n1 <- g[1]; n2 <- g[2]
  emit(107, "apriori", -1, list(D = d, alpha = a, power = target, r = r, resp = p),
       c(hot2_outs(d, a, n1, n2, p), list(n1 = n1, n2 = n2, actual = hot2_pow(d, a, n1, n2, p))))
  invisible(c(n1, n2))
}
stopifnot(all(hot2_apriori(0.5, 0.05, 0.95, 1, 2) == c(126, 126)))
hot2_apriori(0.5, 0.05, 0.95, 2, 2)
hot2_apriori(0.3, 0.01, 0.8, 0.5, 4)
# An extreme ratio and a large effect: the smaller group would round to none.
hot2_apriori(20, 0.05, 0.95, 100, 2)
p <- hot2_pow(0.5, 0.05, 50, 50, 2)
stopifnot(abs(p - 0.5885389) < 5e-8)
emit(107, "posthoc", -1, list(D = 0.5, alpha = 0.05, n1 = 50, n2 = 50, resp = 2),
     c(hot2_outs(0.5, 0.05, 50, 50, 2), list(power = p)))
p <- hot2_pow(0.8, 0.05, 10, 25, 3)
emit(107, "posthoc", -1, list(D = 0.8, alpha = 0.05, n1 = 10, n2 = 25, resp = 3),
     c(hot2_outs(0.8, 0.05, 10, 25, 3), list(power = p)))
d <- solve(function(d) hot2_pow(d, 0.05, 30, 60, 2) - 0.95, 1e-6, 50)
emit(107, "sensitivity", -1, list(alpha = 0.05, power = 0.95, n1 = 30, n2 = 60, resp = 2),
     c(hot2_outs(d, 0.05, 30, 60, 2), list(D = d)))
a <- solve(function(a) hot2_pow(0.5, a, 40, 40, 3) - 0.8, 1e-12, 1 - 1e-12)
emit(107, "criterion", -1, list(D = 0.5, power = 0.8, n1 = 40, n2 = 40, resp = 3),
     c(hot2_outs(0.5, a, 40, 40, 3), list(alpha = a)))
a <- solve(function(a) (1 - hot2_pow(0.5, a, 40, 20, 2)) - 2 * a, 1e-12, 1 - 1e-12)
p <- hot2_pow(0.5, a, 40, 20, 2)
emit(107, "compromise", -1, list(D = 0.5, q = 2, n1 = 40, n2 = 20, resp = 2),
     c(hot2_outs(0.5, a, 40, 20, 2), list(alpha = a, beta = 1 - p, power = p)))

# ============ variances: two samples (105, F) and one sample against a constant (402, chi^2)
# Power of the ratio r with the H0 distribution given by its quantile and
# distribution function; both critical values as the test shows them.
var_pow <- function(r, a, tails, q, p) {
  if (tails == "One") {
    if (r > 1) { x0 <- q(1 - a); return(list(power = p(x0 / r, lower.tail = FALSE), lo = x0, hi = x0)) }
    x0 <- q(a); return(list(power = p(x0 / r), lo = x0, hi = x0))
  }
  cu <- q(1 - a / 2); cl <- q(a / 2)
  list(power = p(cu / r, lower.tail = FALSE) + p(cl / r), lo = cl, hi = cu)
}
fvar <- function(r, a, tails, n1, n2)
  var_pow(r, a, tails, function(x) qf(x, n1 - 1, n2 - 1),
          function(x, ...) pf(x, n1 - 1, n2 - 1, ...))
cvar <- function(r, a, tails, N)
  var_pow(r, a, tails, function(x) qchisq(x, N - 1), function(x, ...) pchisq(x, N - 1, ...))

fvar_outs <- function(v, n1, n2) list(lowF = v$lo, upF = v$hi, df1 = n1 - 1, df2 = n2 - 1)
fvar_apriori <- function(r, a, target, tails, ratio) {
  pw <- function(x) fvar(r, a, tails, x / (1 + ratio), x - x / (1 + ratio))$power
  # The search starts at the smallest total whose whole split gives each
  # group two subjects (the real split of that total keeps 1.5 or more).
  whole <- function(t) {
    n1 <- round_to(t / (ratio + 1)); n2 <- ceiling(t - n1)
    if (abs(ratio - 1) < 1e-8 && n1 != n2) { if (n1 < n2) n1 <- n1 + 1 else n2 <- n2 + 1 }
    c(max(n1, 1), max(n2, 1))
  }
  lo <- 4
  while (any(whole(lo) < 2)) lo <- lo + 1
  N <- if (pw(lo) >= target) lo else ceiling(solve(function(x) pw(x) - target, lo, 1e8))
  pg <- function(g) fvar(r, a, tails, g[1], g[2])$power
  g <- split_total(N, ratio, function(n1, n2) pg(c(n1, n2)), target)
  # Near the lowest total the real split holds fewer subjects in the small
  # group than the whole one: smaller totals whose whole split reaches the
  # target, while the answer's real small group is below three.
  real <- sum(g) / (ratio + 1)
  if (min(real, sum(g) - real) < 3) repeat {
    d <- whole(sum(g) - 1)
    if (any(d < 2) || sum(d) >= sum(g) || pg(d) < target) break
    g <- d
  }
  n1 <- g[1]; n2 <- g[2]
  stopifnot(n1 >= 2, n2 >= 2)
  v <- fvar(r, a, tails, n1, n2)
  emit(105, "apriori", -1, list(tails = tails, v = r, alpha = a, power = target, r = ratio),
       c(fvar_outs(v, n1, n2), list(n1 = n1, n2 = n2, actual = v$power)))
  invisible(c(n1, n2))
}
stopifnot(all(fvar_apriori(1.5, 0.05, 0.95, "One", 1) == c(266, 266)))
stopifnot(all(fvar_apriori(1.5, 0.05, 0.95, "Two", 1) == c(319, 319)))
fvar_apriori(0.5, 0.05, 0.95, "One", 1)
fvar_apriori(2, 0.01, 0.8, "Two", 2.5)
# Allocation ratios at their bounds: the smaller group keeps two subjects.
fvar_apriori(1.5, 0.05, 0.95, "One", 100)
fvar_apriori(1.5, 0.05, 0.95, "One", 0.01)
fvar_apriori(100, 0.05, 0.8, "One", 100)
for (c in list(list(1.5, "One", 10, 21), list(1.5, "Two", 10, 21), list(0.5, "One", 30, 30),
               list(0.5, "Two", 30, 30), list(3, "Two", 2, 2))) {
  v <- fvar(c[[1]], 0.05, c[[2]], c[[3]], c[[4]])
  if (c[[1]] == 1.5 && c[[2]] == "One") stopifnot(abs(v$power - 0.1837597) < 5e-8)
  emit(105, "posthoc", -1, list(tails = c[[2]], v = c[[1]], alpha = 0.05, n1 = c[[3]], n2 = c[[4]]),
       c(fvar_outs(v, c[[3]], c[[4]]), list(power = v$power)))
}
for (c in list(list("One", 1, 50, 50), list("One", 0, 50, 50), list("Two", 1, 40, 80),
               list("Two", 0, 40, 80))) {
  tails <- c[[1]]; n1 <- c[[3]]; n2 <- c[[4]]
  pw <- function(r) fvar(r, 0.05, tails, n1, n2)$power - 0.95
  r <- if (c[[2]] == 1) solve(pw, 1 + 1e-9, 1e3) else solve(pw, 1e-3, 1 - 1e-9)
  dir <- if (c[[2]] == 1) "var1$\\ge$var0" else "var1$\\le$var0"
  emit(105, "sensitivity", -1,
       list(tails = tails, alpha = 0.05, power = 0.95, n1 = n1, n2 = n2, dir = dir),
       c(fvar_outs(fvar(r, 0.05, tails, n1, n2), n1, n2), list(v = r)))
}
for (c in list(list(1.5, "One", 50, 50), list(0.6, "Two", 30, 60))) {
  r <- c[[1]]; tails <- c[[2]]; n1 <- c[[3]]; n2 <- c[[4]]
  a <- solve(function(a) fvar(r, a, tails, n1, n2)$power - 0.8, 1e-12, 1 - 1e-12)
  emit(105, "criterion", -1, list(tails = tails, v = r, power = 0.8, n1 = n1, n2 = n2),
       c(fvar_outs(fvar(r, a, tails, n1, n2), n1, n2), list(alpha = a)))
  a <- solve(function(a) (1 - fvar(r, a, tails, n1, n2)$power) - 2 * a, 1e-12, 1 - 1e-12)
  v <- fvar(r, a, tails, n1, n2)
  emit(105, "compromise", -1, list(tails = tails, v = r, q = 2, n1 = n1, n2 = n2),
       c(fvar_outs(v, n1, n2), list(alpha = a, beta = 1 - v$power, power = v$power)))
}

cvar_outs <- function(v, N) list(lowchi = v$lo, upchi = v$hi, df = N - 1)
for (c in list(list(1.5, "One", 134), list(1.5, "Two", 159), list(0.5, "One", NA),
               list(0.7, "Two", NA), list(20, "One", NA))) {
  r <- c[[1]]; tails <- c[[2]]
  N <- smallest_n(function(N) cvar(r, 0.05, tails, N)$power, 0.95, 2)
  if (!is.na(c[[3]])) stopifnot(N == c[[3]])
  v <- cvar(r, 0.05, tails, N)
  emit(402, "apriori", -1, list(tails = tails, v = r, alpha = 0.05, power = 0.95),
       c(cvar_outs(v, N), list(N = N, actual = v$power)))
}
for (c in list(list(1.5, "One", 50), list(1.5, "Two", 50), list(0.5, "One", 20),
               list(0.5, "Two", 20), list(4, "One", 2))) {
  v <- cvar(c[[1]], 0.05, c[[2]], c[[3]])
  emit(402, "posthoc", -1, list(tails = c[[2]], v = c[[1]], alpha = 0.05, N = c[[3]]),
       c(cvar_outs(v, c[[3]]), list(power = v$power)))
}
for (tails in c("One", "Two")) {
  r <- solve(function(r) cvar(r, 0.05, tails, 100)$power - 0.95, 1 + 1e-9, 1e3)
  emit(402, "sensitivity", -1, list(tails = tails, alpha = 0.05, power = 0.95, N = 100),
       c(cvar_outs(cvar(r, 0.05, tails, 100), 100), list(v = r)))
}
for (c in list(list(1.5, "One", 100), list(0.6, "Two", 60))) {
  r <- c[[1]]; tails <- c[[2]]; N <- c[[3]]
  a <- solve(function(a) cvar(r, a, tails, N)$power - 0.8, 1e-12, 1 - 1e-12)
  emit(402, "criterion", -1, list(tails = tails, v = r, power = 0.8, N = N),
       c(cvar_outs(cvar(r, a, tails, N), N), list(alpha = a)))
  a <- solve(function(a) (1 - cvar(r, a, tails, N)$power) - 2 * a, 1e-12, 1 - 1e-12)
  v <- cvar(r, a, tails, N)
  emit(402, "compromise", -1, list(tails = tails, v = r, q = 2, N = N),
       c(cvar_outs(v, N), list(alpha = a, beta = 1 - v$power, power = v$power)))
}
