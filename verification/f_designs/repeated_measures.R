# Reference values for the repeated-measures ANOVA by the univariate
# approach: the between-subjects factor, the within-subjects factor and the
# within-between interaction, with k groups, m measurements, correlation rho
# among the measures and nonsphericity correction eps, computed in R.
#
#   Rscript repeated_measures.R > repeated_measures.tsv
#
# Powers are upper tails of the noncentral F written as Poisson mixtures of
# central beta upper tails and checked against pf with ncp (see reference.R).
# The effect size is given in one of three forms ("spec" in the inputs, which
# the test sets as its option): 0 f with the correlation among the measures,
# 1 and 3 f(V), 2 f(U), whose noncentrality is f^2 times the denominator df.
#
# Each row: test id, analysis type, expected status, the inputs and the
# expected outputs as key=value pairs.

fmt <- function(x) if (is.character(x)) x else sprintf("%.15g", x)
kv <- function(l) paste(paste0(names(l), "=", sapply(l, fmt)), collapse = " ")
emit <- function(test, type, status, inputs, outputs) {
  cat(test, type, status, kv(inputs), kv(outputs), sep = "\t")
  cat("\n")
}
solve <- function(f, lo, hi) uniroot(f, c(lo, hi), tol = 1e-15, maxiter = 10000)$root

terms <- function(m) {
  j <- seq(max(0, floor(m - 40 * sqrt(m) - 40)), ceiling(m + 40 * sqrt(m) + 40))
  list(j = j, w = dpois(j, m))
}
fcrit <- function(a, d1, d2) qf(1 - a, d1, d2)
fpow <- function(l, a, d1, d2) {
  x <- fcrit(a, d1, d2)
  t <- terms(l / 2)
  p <- sum(t$w * pbeta(d1 * x / (d1 * x + d2), d1 / 2 + t$j, d2 / 2, lower.tail = FALSE))
  stopifnot(abs(p - pf(x, d1, d2, ncp = l, lower.tail = FALSE)) < 1e-8)
  p
}

cat("# test\ttype\tstatus\tinputs\toutputs\n")

# test 108 between, 109 within, 110 interaction.
rm_design <- function(test, k, m, rho, eps, spec) {
  if (test == 108) eps <- 1
  u <- if (test == 108) m / (1 + (m - 1) * rho) else m / (1 - rho)
  df1 <- function(N) switch(as.character(test), "108" = (k - 1) * eps, "109" = (m - 1) * eps,
                            "110" = (k - 1) * (m - 1) * eps)
  df2 <- function(N) if (test == 108) (N - k) * eps else (N - k) * (m - 1) * eps
  lambda <- function(f, N) switch(as.character(spec), "0" = f^2 * u * N * eps,
                                  "1" = , "3" = f^2 * N * eps, "2" = f^2 * df2(N))
  pw <- function(f, a, N) fpow(lambda(f, N), a, df1(N), df2(N))
  key <- switch(as.character(spec), "0" = "f", "2" = "fU", "fV")
  design <- list(k = k, m = m)
  if (spec == 0) design$rho <- rho
  if (test != 108) design$eps <- eps
  design$spec <- spec
  outs <- function(f, a, N)
    list(lambda = lambda(f, N), crit = fcrit(a, df1(N), df2(N)), df1 = df1(N), df2 = df2(N))
  given <- function(e) setNames(list(e), key)
  list(
    apriori = function(f, a, p) {
      # The smallest multiple of k above k whose power reaches the target.
      N <- 2 * k
      while (pw(f, a, N) < p) N <- N + k
      emit(test, "apriori", -1, c(given(f), list(alpha = a, power = p), design),
           c(outs(f, a, N), list(N = N, actual = pw(f, a, N))))
      invisible(N)
    },
    posthoc = function(f, a, N) {
      emit(test, "posthoc", -1, c(given(f), list(alpha = a, N = N), design),
           c(outs(f, a, N), list(power = pw(f, a, N))))
    },
    sensitivity = function(a, p, N) {
      f <- solve(function(f) pw(f, a, N) - p, 1e-6, 50)
      emit(test, "sensitivity", -1, c(list(alpha = a, power = p, N = N), design),
           c(outs(f, a, N), given(f)))
    },
    criterion = function(f, p, N) {
      a <- solve(function(a) pw(f, a, N) - p, 1e-12, 1 - 1e-12)
      emit(test, "criterion", -1, c(given(f), list(power = p, N = N), design),
           c(outs(f, a, N), list(alpha = a)))
    },
    compromise = function(f, q, N) {
      a <- solve(function(a) (1 - pw(f, a, N)) - q * a, 1e-12, 1 - 1e-12)
      p <- pw(f, a, N)
      emit(test, "compromise", -1, c(given(f), list(q = q, N = N), design),
           c(outs(f, a, N), list(alpha = a, beta = 1 - p, power = p)))
    })
}

# Two groups, four measurements, rho 0.5, f 0.25: lambda = 0.1 N for the
# between factor, 0.5 N for the within factor and the interaction.
stopifnot(rm_design(108, 2, 4, 0.5, 1, 0)$apriori(0.25, 0.05, 0.95) == 132)
stopifnot(rm_design(109, 2, 4, 0.5, 1, 0)$apriori(0.25, 0.05, 0.95) == 36)
stopifnot(rm_design(110, 2, 4, 0.5, 1, 0)$apriori(0.25, 0.05, 0.95) == 36)

for (test in c(108, 109, 110)) {
  t <- rm_design(test, 3, 4, 0.3, 0.75, 0)
  t$apriori(0.2, 0.05, 0.9)
  t$posthoc(0.25, 0.05, 60)
  t$sensitivity(0.05, 0.95, 60)
  t$criterion(0.25, 0.8, 60)
  t$compromise(0.25, 1, 60)
  for (spec in c(1, 2, 3)) {
    t <- rm_design(test, 3, 5, 0, 0.5, spec)
    t$posthoc(0.3, 0.05, 45)
    t$apriori(0.3, 0.05, 0.95)
  }
}
# A single group is a design for the within factor.
t <- rm_design(109, 1, 3, 0.6, 1, 0)
t$apriori(0.3, 0.05, 0.95)
t$posthoc(0.3, 0.05, 10)
# The smallest correction admitted, 1/(m - 1): the within df1 is 1.
rm_design(109, 2, 5, 0.5, 0.25, 0)$posthoc(0.25, 0.05, 40)
rm_design(110, 4, 3, -0.2, 0.5, 0)$posthoc(0.25, 0.05, 40)
