# Slope variances per subject of a logistic regression logit Pr(Y=1|X) =
# b0 + b1 X, from the expected Fisher information over the covariate X:
# var1 = I0 / (I0 I2 - I1^2) with Ik = E[X^k w(eta)], w = p (1 - p); and
# var0 = 1 / (w(eta0) Var X) with eta0 the logit of the marginal Pr(Y=1).
# Integrals by R's integrate() over the whole support (Poisson: sums to
# where the terms vanish), at tolerances far below the code's.
#
#   Rscript variances.R > variances.tsv
#
# Columns: covariate code (0 binomial, 1 exponential, 2 log-normal,
# 3 normal, 4 Poisson, 5 uniform), b0, b1, parameters a and b, var0, var1.

w <- function(eta) { p <- plogis(eta); p * (1 - p) }
# Over pieces between the points of `cuts` that lie inside (lo, hi), so that
# a peaked density is never missed.
integ <- function(f, lo, hi, cuts = numeric(0)) {
  pts <- sort(unique(c(lo, cuts[cuts > lo & cuts < hi], hi)))
  total <- 0
  for (i in seq_len(length(pts) - 1)) {
    piece <- tryCatch(
      integrate(f, pts[i], pts[i + 1], rel.tol = 1e-13, abs.tol = 1e-17, subdivisions = 10000L),
      error = function(e) integrate(f, pts[i], pts[i + 1], rel.tol = 1e-11, abs.tol = 1e-17,
                                    subdivisions = 10000L))
    total <- total + piece$value
  }
  total
}
cases <- list(
  list(code = 3, a = 0, b = 1, b0 = log(0.25), b1 = log(1.3)),
  list(code = 3, a = 0, b = 1, b0 = 0, b1 = 0),
  list(code = 3, a = 1, b = 2, b0 = log(0.1 / 0.9), b1 = -0.7),
  list(code = 3, a = 100, b = 0.5, b0 = -30, b1 = 0.3),
  list(code = 2, a = 0, b = 1, b0 = log(0.25), b1 = log(1.3)),
  list(code = 2, a = 0.5, b = 0.5, b0 = log(0.5), b1 = -0.4),
  list(code = 1, a = 1, b = 0, b0 = log(0.25), b1 = log(1.3)),
  list(code = 1, a = 0.5, b = 0, b0 = -1, b1 = -0.5),
  list(code = 5, a = 0, b = 1, b0 = log(0.25), b1 = log(1.3)),
  list(code = 5, a = 100, b = 101, b0 = -50, b1 = 0.5),
  list(code = 4, a = 1, b = 0, b0 = log(0.25), b1 = log(1.3)),
  list(code = 4, a = 7.5, b = 0, b0 = -2, b1 = 0.2)
)
dens <- function(cs) switch(as.character(cs$code),
  "1" = function(x) dexp(x, cs$a),
  "2" = function(x) dlnorm(x, cs$a, cs$b),
  "3" = function(x) dnorm(x, cs$a, cs$b),
  "5" = function(x) dunif(x, cs$a, cs$b))
range_of <- function(cs) switch(as.character(cs$code),
  "1" = c(0, 60 / cs$a), "2" = c(0, exp(cs$a + 12 * cs$b)), "3" = cs$a + c(-40, 40) * cs$b, "5" = c(cs$a, cs$b))
probs <- c(1e-10, 1e-6, 0.001, 0.01, 0.1, 0.3, 0.5, 0.7, 0.9, 0.99, 0.999, 1 - 1e-6)
cuts_of <- function(cs) switch(as.character(cs$code),
  "1" = qexp(probs, cs$a), "2" = qlnorm(probs, cs$a, cs$b), "3" = qnorm(probs, cs$a, cs$b),
  "5" = qunif(probs, cs$a, cs$b))
varx <- function(cs) switch(as.character(cs$code),
  "1" = 1 / cs$a^2, "2" = expm1(cs$b^2) * exp(2 * cs$a + cs$b^2), "3" = cs$b^2,
  "4" = cs$a, "5" = (cs$b - cs$a)^2 / 12)
meanx <- function(cs) switch(as.character(cs$code),
  "1" = 1 / cs$a, "2" = exp(cs$a + cs$b^2 / 2), "3" = cs$a, "4" = cs$a, "5" = (cs$a + cs$b) / 2)

cat("# code\tb0\tb1\ta\tb\tvar0\tvar1\n")
for (cs in cases) {
  eta <- function(x) cs$b0 + cs$b1 * x
  m <- meanx(cs)  # moments about the mean: the determinant does not change
  if (cs$code == 4) {
    k <- 0:(qpois(1e-16, cs$a, lower.tail = FALSE) + 200)
    f <- dpois(k, cs$a)
    i0 <- sum(f * w(eta(k))); i1 <- sum((k - m) * f * w(eta(k))); i2 <- sum((k - m)^2 * f * w(eta(k)))
    pbar <- sum(f * plogis(eta(k)))
  } else {
    f <- dens(cs); r <- range_of(cs); q <- cuts_of(cs)
    i0 <- integ(function(x) f(x) * w(eta(x)), r[1], r[2], q)
    i1 <- integ(function(x) (x - m) * f(x) * w(eta(x)), r[1], r[2], q)
    i2 <- integ(function(x) (x - m)^2 * f(x) * w(eta(x)), r[1], r[2], q)
    pbar <- integ(function(x) f(x) * plogis(eta(x)), r[1], r[2], q)
  }
  var1 <- i0 / (i0 * i2 - i1^2)
  var0 <- 1 / (pbar * (1 - pbar) * varx(cs))
  cat(sprintf("%d\t%.17g\t%.17g\t%.17g\t%.17g\t%.15g\t%.15g\n", cs$code, cs$b0, cs$b1, cs$a, cs$b, var0, var1))
}
