# Criterion and sensitivity analyses of the F and chi-square tests whose
# alpha lies far below 1e-12 or whose noncentrality lies beyond the first
# search range, computed in R. Critical values are R's central upper
# quantiles (qf, qchisq with lower.tail = FALSE, which keep their digits
# where 1 - alpha rounds to 1); powers are upper tails of the noncentral
# distributions written as Poisson mixtures of central upper tails, as in
# verification/f_chi_tests/reference.R. Alpha is solved in its logarithm.
#
#   Rscript f_chi_reference.R > f_chi_reference.tsv
#
# Rows as in verification/f_chi_tests/cases.tsv: test id, analysis type,
# expected status, inputs, outputs (key=value).

fmt <- function(x) sprintf("%.15g", x)
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
fcrit <- function(a, d1, d2) qf(a, d1, d2, lower.tail = FALSE)
fpow <- function(l, a, d1, d2) {
  x <- fcrit(a, d1, d2)
  t <- terms(l / 2)
  sum(t$w * pbeta(d1 * x / (d1 * x + d2), d1 / 2 + t$j, d2 / 2, lower.tail = FALSE))
}
ccrit <- function(a, df) qchisq(a, df, lower.tail = FALSE)
cpow <- function(l, a, df) {
  t <- terms(l / 2)
  sum(t$w * pchisq(ccrit(a, df), df + 2 * t$j, lower.tail = FALSE))
}

cat("# test\ttype\tstatus\tinputs\toutputs\n")

# One-way ANOVA (101), criterion: lambda = f^2 N, df1 = k - 1, df2 = N - k.
for (c in list(c(0.4, 1000, 4, 0.95), c(0.0983, 9561, 15, 0.802))) {
  f <- c[1]; n <- c[2]; k <- c[3]; target <- c[4]
  l <- f^2 * n
  la <- solve(function(la) fpow(l, exp(la), k - 1, n - k) - target, log(1e-99), log(0.5))
  # A total that is no multiple of the groups is answered with a note.
  emit(101, "criterion", if (n %% k == 0) -1 else -2, list(f = f, power = target, N = n, k = k),
       list(crit = fcrit(exp(la), k - 1, n - k), alpha = exp(la)))
}

# Goodness of fit (401), criterion: lambda = w^2 N.
for (c in list(c(0.5, 1000, 5, 0.95))) {
  w <- c[1]; n <- c[2]; df <- c[3]; target <- c[4]
  la <- solve(function(la) cpow(w^2 * n, exp(la), df) - target, log(1e-99), log(0.5))
  emit(401, "criterion", -1, list(w = w, power = target, N = n, df = df),
       list(crit = ccrit(exp(la), df), alpha = exp(la)))
}

# Generic chi-square (400) and F (100) sensitivity beyond lambda = 100.
l <- solve(function(l) cpow(l, 0.05, 1000) - 0.95, 1e-6, 1000)
emit(400, "sensitivity", -1, list(alpha = 0.05, power = 0.95, df = 1000),
     list(crit = ccrit(0.05, 1000), lambda = l))
l <- solve(function(l) fpow(l, 0.05, 400, 1000) - 0.95, 1e-6, 1000)
emit(100, "sensitivity", -1, list(alpha = 0.05, power = 0.95, df1 = 400, df2 = 1000),
     list(crit = fcrit(0.05, 400, 1000), lambda = l))

# Random cases (seeded), beside the named ones above: criterion of the
# one-way ANOVA and of goodness of fit with totals that are multiples of
# the groups, and sensitivity of the generic tests; a case whose target
# no alpha between 1e-99 and 0.5 (or no lambda up to 1e4) meets is left
# out.
set.seed(45)
for (i in 1:8) {
  f <- round(runif(1, 0.05, 0.6), 3); k <- sample(2:10, 1); n <- k * sample(5:400, 1)
  target <- round(runif(1, 0.5, 0.99), 3); l <- f^2 * n
  if (fpow(l, 0.5, k - 1, n - k) < target || fpow(l, 1e-99, k - 1, n - k) > target) next
  la <- solve(function(la) fpow(l, exp(la), k - 1, n - k) - target, log(1e-99), log(0.5))
  emit(101, "criterion", -1, list(f = f, power = target, N = n, k = k),
       list(crit = fcrit(exp(la), k - 1, n - k), alpha = exp(la)))
}
for (i in 1:8) {
  w <- round(runif(1, 0.05, 0.7), 3); df <- sample(1:10, 1); n <- sample(20:3000, 1)
  target <- round(runif(1, 0.5, 0.99), 3)
  if (cpow(w^2 * n, 0.5, df) < target || cpow(w^2 * n, 1e-99, df) > target) next
  la <- solve(function(la) cpow(w^2 * n, exp(la), df) - target, log(1e-99), log(0.5))
  emit(401, "criterion", -1, list(w = w, power = target, N = n, df = df),
       list(crit = ccrit(exp(la), df), alpha = exp(la)))
}
for (i in 1:6) {
  df <- sample(1:2000, 1); a <- signif(10^runif(1, -6, -1), 3); target <- round(runif(1, 0.5, 0.99), 3)
  l <- solve(function(l) cpow(l, a, df) - target, 1e-6, 1e4)
  emit(400, "sensitivity", -1, list(alpha = a, power = target, df = df),
       list(crit = ccrit(a, df), lambda = l))
  d1 <- sample(1:500, 1); d2 <- sample(5:2000, 1)
  l <- solve(function(l) fpow(l, a, d1, d2) - target, 1e-6, 1e4)
  emit(100, "sensitivity", -1, list(alpha = a, power = target, df1 = d1, df2 = d2),
       list(crit = fcrit(a, d1, d2), lambda = l))
}

# Compromise: alpha solves beta = q alpha, with beta the lower tail of the
# noncentral distribution at the critical value, summed on that side as a
# Poisson mixture of central lower tails (each relative to its own size, so
# beta keeps its digits far below 1e-16). Alpha is solved in its logarithm
# between 1e-99 and 1; where beta/alpha stays below q down to 1e-99 no alpha
# of that range answers and the row's status is "none".
fbeta <- function(l, a, d1, d2) {
  x <- fcrit(a, d1, d2)
  m <- l / 2
  j <- 0:ceiling(m + 40 * sqrt(m) + 40)
  sum(dpois(j, m) * pbeta(d1 * x / (d1 * x + d2), d1 / 2 + j, d2 / 2))
}
cbeta <- function(l, a, df) {
  m <- l / 2
  j <- 0:ceiling(m + 40 * sqrt(m) + 40)
  sum(dpois(j, m) * pchisq(ccrit(a, df), df + 2 * j))
}
compromise <- function(beta, q) {
  g <- function(la) log(beta(exp(la))) - la - log(q)
  if (g(log(1e-99)) < 0) return(NA)
  exp(solve(g, log(1e-99), log(1 - 1e-12)))
}
emitc <- function(test, inputs, a, crit, beta) {
  if (is.na(a)) {
    cat(test, "compromise", "none", kv(inputs), "", sep = "\t")
    cat("\n")
  } else {
    emit(test, "compromise", -1, inputs,
         list(crit = crit(a), alpha = a, beta = beta(a), power = 1 - beta(a)))
  }
}
anovac <- function(f, q, n, k) {
  l <- f^2 * n
  b <- function(a) fbeta(l, a, k - 1, n - k)
  emitc(101, list(f = f, q = q, N = n, k = k), compromise(b, q),
        function(a) fcrit(a, k - 1, n - k), b)
}
gofc <- function(w, q, n, df) {
  b <- function(a) cbeta(w^2 * n, a, df)
  emitc(401, list(w = w, q = q, N = n, df = df), compromise(b, q), function(a) ccrit(a, df), b)
}
genfc <- function(l, q, d1, d2) {
  b <- function(a) fbeta(l, a, d1, d2)
  emitc(100, list(lambda = l, q = q, df1 = d1, df2 = d2), compromise(b, q),
        function(a) fcrit(a, d1, d2), b)
}
genchic <- function(l, q, df) {
  b <- function(a) cbeta(l, a, df)
  emitc(400, list(lambda = l, q = q, df = df), compromise(b, q), function(a) ccrit(a, df), b)
}

# Named cases: the designs of the criterion rows above with q = 1, and the
# generic tests with large noncentralities, one beyond the alpha floor.
anovac(0.4, 1, 1000, 4)
gofc(0.5, 1, 1000, 5)
genfc(300, 1, 5, 200)
genchic(400, 0.5, 10)
genchic(2000, 1, 3)

set.seed(4502)
for (i in 1:6) {
  k <- sample(2:10, 1)
  anovac(round(runif(1, 0.05, 0.6), 3), signif(10^runif(1, -1.5, 1.5), 3),
         k * sample(5:400, 1), k)
  gofc(round(runif(1, 0.05, 0.7), 3), signif(10^runif(1, -1.5, 1.5), 3), sample(20:3000, 1),
       sample(1:10, 1))
  genfc(signif(10^runif(1, 0, 3), 4), signif(10^runif(1, -1.5, 1.5), 3), sample(1:200, 1),
        sample(5:2000, 1))
  genchic(signif(10^runif(1, 0, 3), 4), signif(10^runif(1, -1.5, 1.5), 3), sample(1:200, 1))
}
