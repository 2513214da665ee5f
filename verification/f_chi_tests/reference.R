# Reference values for the generic F and chi-square tests, the one-way ANOVA
# and the goodness-of-fit test, computed in R. Critical values are R's
# central quantiles (qf, qchisq). Powers are upper tails of the noncentral
# distributions written as Poisson mixtures of central upper tails (pbeta,
# pchisq with lower.tail = FALSE): R's own pf with ncp stops its series at an
# error of 1e-9, too coarse for noncentralities solved to seven digits. Every
# power is also checked against pf/pchisq with ncp and the pwr package
# (pwr.anova.test, pwr.chisq.test), which must agree to 1e-8.
#
#   Rscript reference.R > cases.tsv
#
# Each row: test id, analysis type, expected calculation status, the inputs
# and the expected outputs. Inputs and outputs are written as key=value with
# the short keys the test program maps to parameter labels:
#   alpha power N q df df1 df2 k w f lambda   (inputs)
#   crit beta power alpha lambda N actual f w df df1 df2   (outputs)
# crit is the critical value of the test's own statistic (F or chi-square).

suppressPackageStartupMessages(library(pwr))

fmt <- function(x) sprintf("%.15g", x)
kv <- function(l) paste(paste0(names(l), "=", sapply(l, fmt)), collapse = " ")
emit <- function(test, type, status, inputs, outputs) {
  cat(test, type, status, kv(inputs), kv(outputs), sep = "\t")
  cat("\n")
}
solve <- function(f, lo, hi) uniroot(f, c(lo, hi), tol = 1e-15, maxiter = 10000)$root

# Poisson weights of a mixture with mean m = lambda / 2, far enough into
# both tails that the rest is below 1e-20.
terms <- function(m) {
  j <- seq(max(0, floor(m - 40 * sqrt(m) - 40)), ceiling(m + 40 * sqrt(m) + 40))
  list(j = j, w = dpois(j, m))
}
# ---- noncentral F: critical value and power
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
# ---- noncentral chi-square
ccrit <- function(a, df) qchisq(1 - a, df)
cpow <- function(l, a, df) {
  t <- terms(l / 2)
  p <- sum(t$w * pchisq(ccrit(a, df), df + 2 * t$j, lower.tail = FALSE))
  stopifnot(abs(p - pchisq(ccrit(a, df), df, ncp = l, lower.tail = FALSE)) < 1e-8)
  p
}

cat("# test\ttype\tstatus\tinputs\toutputs\n")

# ================================================= generic F test (100)
for (c in list(c(30, 0.05, 10, 20), c(0, 0.05, 10, 20), c(12.5, 0.01, 2.5, 37.3))) {
  p <- fpow(c[1], c[2], c[3], c[4])
  emit(100, "posthoc", -1, list(lambda = c[1], alpha = c[2], df1 = c[3], df2 = c[4]),
       list(crit = fcrit(c[2], c[3], c[4]), beta = 1 - p, power = p))
}
for (c in list(c(0.05, 0.95, 10, 20), c(0.01, 0.8, 1, 5))) {
  l <- solve(function(l) fpow(l, c[1], c[3], c[4]) - c[2], 1e-6, 100)
  emit(100, "sensitivity", -1, list(alpha = c[1], power = c[2], df1 = c[3], df2 = c[4]),
       list(crit = fcrit(c[1], c[3], c[4]), lambda = l))
}
a <- solve(function(a) fpow(30, a, 10, 20) - 0.8, 1e-12, 0.5)
emit(100, "criterion", -1, list(lambda = 30, power = 0.8, df1 = 10, df2 = 20),
     list(crit = fcrit(a, 10, 20), alpha = a))
for (c in list(c(30, 1, 10, 20), c(10, 4, 3, 60))) {
  a <- solve(function(a) (1 - fpow(c[1], a, c[3], c[4])) - c[2] * a, 1e-12, 0.999)
  p <- fpow(c[1], a, c[3], c[4])
  emit(100, "compromise", -1, list(lambda = c[1], q = c[2], df1 = c[3], df2 = c[4]),
       list(crit = fcrit(a, c[3], c[4]), alpha = a, beta = 1 - p, power = p))
}

# ========================================== generic chi-square test (400)
for (c in list(c(20, 0.05, 5), c(3, 0.1, 0.5))) {
  p <- cpow(c[1], c[2], c[3])
  emit(400, "posthoc", -1, list(lambda = c[1], alpha = c[2], df = c[3]),
       list(crit = ccrit(c[2], c[3]), beta = 1 - p, power = p))
}
l <- solve(function(l) cpow(l, 0.05, 5) - 0.95, 1e-6, 100)
emit(400, "sensitivity", -1, list(alpha = 0.05, power = 0.95, df = 5),
     list(crit = ccrit(0.05, 5), lambda = l))
a <- solve(function(a) cpow(20, a, 5) - 0.99, 1e-12, 0.5)
emit(400, "criterion", -1, list(lambda = 20, power = 0.99, df = 5),
     list(crit = ccrit(a, 5), alpha = a))
a <- solve(function(a) (1 - cpow(8, a, 3)) - 2 * a, 1e-12, 0.999)
p <- cpow(8, a, 3)
emit(400, "compromise", -1, list(lambda = 8, q = 2, df = 3),
     list(crit = ccrit(a, 3), alpha = a, beta = 1 - p, power = p))

# ======================================== one-way ANOVA, fixed effects (101)
# A priori: pwr gives the group size n; the total is the next multiple of k.
for (c in list(c(0.25, 0.05, 0.95, 5), c(0.25, 0.05, 0.95, 3), c(0.4, 0.01, 0.8, 4))) {
  f <- c[1]; a <- c[2]; k <- c[4]
  n <- pwr.anova.test(k = k, f = f, sig.level = a, power = c[3])$n
  N <- ceiling(n) * k
  stopifnot(fpow(f^2 * N, a, k - 1, N - k) >= c[3], fpow(f^2 * (N - k), a, k - 1, N - 2 * k) < c[3])
  emit(101, "apriori", -1, list(f = f, alpha = a, power = c[3], k = k),
       list(lambda = f^2 * N, crit = fcrit(a, k - 1, N - k), df1 = k - 1, df2 = N - k,
            N = N, actual = fpow(f^2 * N, a, k - 1, N - k)))
}
# Post hoc: N = 50 is no multiple of k = 3 (status -2 with the note), 51 is.
for (c in list(c(0.25, 0.05, 50, 3), c(0.25, 0.05, 51, 3), c(0, 0.05, 100, 5))) {
  f <- c[1]; a <- c[2]; N <- c[3]; k <- c[4]
  p <- fpow(f^2 * N, a, k - 1, N - k)
  stopifnot(abs(p - pwr.anova.test(k = k, n = N / k, f = f, sig.level = a)$power) < 1e-8)
  emit(101, "posthoc", if (N %% k == 0) -1 else -2, list(f = f, alpha = a, N = N, k = k),
       list(lambda = f^2 * N, crit = fcrit(a, k - 1, N - k), df1 = k - 1, df2 = N - k, power = p))
}
f <- pwr.anova.test(k = 5, n = 20, sig.level = 0.05, power = 0.95)$f
f <- solve(function(f) fpow(f^2 * 100, 0.05, 4, 95) - 0.95, f / 2, 2 * f)
emit(101, "sensitivity", -1, list(alpha = 0.05, power = 0.95, N = 100, k = 5),
     list(lambda = f^2 * 100, crit = fcrit(0.05, 4, 95), df1 = 4, df2 = 95, f = f))
a <- solve(function(a) fpow(0.0625 * 100, a, 3, 96) - 0.8, 1e-12, 0.5)
emit(101, "criterion", -1, list(f = 0.25, power = 0.8, N = 100, k = 4),
     list(lambda = 6.25, crit = fcrit(a, 3, 96), df1 = 3, df2 = 96, alpha = a))
a <- solve(function(a) (1 - fpow(0.0625 * 100, a, 4, 95)) - a, 1e-12, 0.999)
p <- fpow(6.25, a, 4, 95)
emit(101, "compromise", -1, list(f = 0.25, q = 1, N = 100, k = 5),
     list(lambda = 6.25, crit = fcrit(a, 4, 95), df1 = 4, df2 = 95, alpha = a,
          beta = 1 - p, power = p))

# ============================ goodness of fit, contingency tables (401)
for (c in list(c(0.3, 0.05, 0.95, 5), c(0.1, 0.05, 0.8, 1))) {
  w <- c[1]; a <- c[2]; df <- c[4]
  N <- ceiling(pwr.chisq.test(w = w, df = df, sig.level = a, power = c[3])$N)
  stopifnot(cpow(w^2 * N, a, df) >= c[3], cpow(w^2 * (N - 1), a, df) < c[3])
  emit(401, "apriori", -1, list(w = w, alpha = a, power = c[3], df = df),
       list(lambda = w^2 * N, crit = ccrit(a, df), df = df, N = N,
            actual = cpow(w^2 * N, a, df)))
}
for (c in list(c(0.3, 0.05, 100, 5), c(0, 0.05, 100, 5))) {
  w <- c[1]; a <- c[2]; N <- c[3]; df <- c[4]
  p <- cpow(w^2 * N, a, df)
  stopifnot(abs(p - pwr.chisq.test(w = w, N = N, df = df, sig.level = a)$power) < 1e-8)
  emit(401, "posthoc", -1, list(w = w, alpha = a, N = N, df = df),
       list(lambda = w^2 * N, crit = ccrit(a, df), df = df, power = p))
}
# N = 1 is admissible: w is then the square root of the noncentrality itself.
for (N in c(100, 1)) {
  w <- pwr.chisq.test(N = N, df = 5, sig.level = 0.05, power = 0.95)$w
  w <- solve(function(w) cpow(w^2 * N, 0.05, 5) - 0.95, w / 2, 2 * w)
  emit(401, "sensitivity", -1, list(alpha = 0.05, power = 0.95, N = N, df = 5),
       list(lambda = w^2 * N, crit = ccrit(0.05, 5), df = 5, w = w))
}
a <- solve(function(a) cpow(9, a, 5) - 0.8, 1e-12, 0.5)
emit(401, "criterion", -1, list(w = 0.3, power = 0.8, N = 100, df = 5),
     list(lambda = 9, crit = ccrit(a, 5), df = 5, alpha = a))
a <- solve(function(a) (1 - cpow(9, a, 4)) - a, 1e-12, 0.999)
p <- cpow(9, a, 4)
emit(401, "compromise", -1, list(w = 0.3, q = 1, N = 100, df = 4),
     list(lambda = 9, crit = ccrit(a, 4), df = 4, alpha = a, beta = 1 - p, power = p))

# Extremes: the smallest alpha, large noncentralities and N, beta/alpha ratios
# at their bounds, Criterion answers near alpha = 1, N below the groups' multiple.
for (c in list(c(100, 1e-7, 1, 1e4), c(500, 1e-6, 20, 30), c(0.5, 0.5, 3, 1))) {
  p <- fpow(c[1], c[2], c[3], c[4])
  emit(100, "posthoc", -1, list(lambda = c[1], alpha = c[2], df1 = c[3], df2 = c[4]),
       list(crit = fcrit(c[2], c[3], c[4]), beta = 1 - p, power = p))
}
l <- solve(function(l) fpow(l, 1e-6, 3, 1000) - 0.999, 1e-6, 1000)
emit(100, "sensitivity", -1, list(alpha = 1e-6, power = 0.999, df1 = 3, df2 = 1000),
     list(crit = fcrit(1e-6, 3, 1000), lambda = l))
a <- solve(function(a) fpow(2, a, 4, 40) - 0.99, 1e-12, 1-1e-12)
emit(100, "criterion", -1, list(lambda = 2, power = 0.99, df1 = 4, df2 = 40),
     list(crit = fcrit(a, 4, 40), alpha = a))
for (c in list(c(30, 100, 10, 20), c(5, 0.01, 2, 10))) {
  a <- solve(function(a) (1 - fpow(c[1], a, c[3], c[4])) - c[2] * a, 1e-12, 0.999)
  p <- fpow(c[1], a, c[3], c[4])
  emit(100, "compromise", -1, list(lambda = c[1], q = c[2], df1 = c[3], df2 = c[4]),
       list(crit = fcrit(a, c[3], c[4]), alpha = a, beta = 1 - p, power = p))
}
for (c in list(c(400, 1e-7, 100), c(1, 0.5, 1))) {
  p <- cpow(c[1], c[2], c[3])
  emit(400, "posthoc", -1, list(lambda = c[1], alpha = c[2], df = c[3]),
       list(crit = ccrit(c[2], c[3]), beta = 1 - p, power = p))
}
a <- solve(function(a) cpow(1, a, 10) - 0.9, 1e-12, 1-1e-12)
emit(400, "criterion", -1, list(lambda = 1, power = 0.9, df = 10), list(crit = ccrit(a, 10), alpha = a))
a <- solve(function(a) (1 - cpow(30, a, 10)) - 100 * a, 1e-12, 0.999)
p <- cpow(30, a, 10)
emit(400, "compromise", -1, list(lambda = 30, q = 100, df = 10),
     list(crit = ccrit(a, 10), alpha = a, beta = 1 - p, power = p))
for (c in list(c(0.1, 0.05, 0.95, 10), c(1.5, 0.05, 0.8, 2), c(0.05, 0.001, 0.99, 3))) {
  f <- c[1]; a <- c[2]; k <- c[4]
  n <- pwr.anova.test(k = k, f = f, sig.level = a, power = c[3])$n
  N <- max(ceiling(n) * k, 2 * k)
  emit(101, "apriori", -1, list(f = f, alpha = a, power = c[3], k = k),
       list(lambda = f^2 * N, crit = fcrit(a, k - 1, N - k), df1 = k - 1, df2 = N - k,
            N = N, actual = fpow(f^2 * N, a, k - 1, N - k)))
}
f <- solve(function(f) fpow(f^2 * 13, 0.01, 9, 3) - 0.9, 0.01, 50)
emit(101, "sensitivity", -2, list(alpha = 0.01, power = 0.9, N = 13, k = 10),
     list(lambda = f^2 * 13, crit = fcrit(0.01, 9, 3), df1 = 9, df2 = 3, f = f))
for (c in list(c(0.05, 0.05, 0.95, 10), c(0.02, 1e-4, 0.8, 1))) {
  w <- c[1]; a <- c[2]; df <- c[4]
  N <- ceiling(pwr.chisq.test(w = w, df = df, sig.level = a, power = c[3])$N)
  stopifnot(cpow(w^2 * N, a, df) >= c[3], cpow(w^2 * (N - 1), a, df) < c[3])
  emit(401, "apriori", -1, list(w = w, alpha = a, power = c[3], df = df),
       list(lambda = w^2 * N, crit = ccrit(a, df), df = df, N = N,
            actual = cpow(w^2 * N, a, df)))
}
a <- solve(function(a) (1 - cpow(0.01*1000, a, 2)) - 0.01 * a, 1e-12, 0.999)
p <- cpow(10, a, 2)
emit(401, "compromise", -1, list(w = 0.1, q = 0.01, N = 1000, df = 2),
     list(lambda = 10, crit = ccrit(a, 2), df = 2, alpha = a, beta = 1 - p, power = p))
