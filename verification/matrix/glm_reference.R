# Reference fits for numerics/glm_fitter_test.cpp, written to glm_reference.txt.
# Run from this folder: Rscript glm_reference.R
#
# Each case: a line "case <name> <family> <link> <n> <k> <response columns>"
# with the fitter's family and link codes, then n data lines (k covariates,
# the response columns, the prior weight), then "coef" with the p = k + 1
# coefficients (intercept first) and "cov" with the p x p covariance matrix
# row by row, as summary.glm reports it (dispersion estimated from the
# Pearson statistic for gaussian, Gamma and inverse gaussian, 1 otherwise).
# A case with a dependent covariate lists the coefficients of the fit without
# it, which is what remains after the dependent column is dropped (glm's own
# QR tolerance is tied to its convergence epsilon, too fine to see exact
# dependence at the epsilon used here).

options(warn = -1)
ctl <- glm.control(epsilon = 1e-14, maxit = 200)
out <- file("glm_reference.txt", "w")
fmt <- function(v) paste(sprintf("%.17g", v), collapse = " ")

emit <- function(name, family_code, link_code, X, Y, w, fam, Xfit = X) {
  X <- as.matrix(X); Y <- as.matrix(Y); Xfit <- as.matrix(Xfit)
  fit <- glm(Y ~ Xfit, family = fam, weights = w, control = ctl)
  stopifnot(fit$converged)
  keep <- !is.na(coef(fit))
  cat(sprintf("case %s %d %d %d %d %d\n", name, family_code, link_code,
              nrow(X), ncol(X), ncol(Y)), file = out)
  for (i in seq_len(nrow(X))) cat(fmt(c(X[i, ], Y[i, ], w[i])), "\n", file = out)
  cat("coef", fmt(coef(fit)[keep]), "\n", file = out)
  V <- vcov(fit)
  cat("cov", fmt(t(V)), "\n", file = out)
}

# Logistic regression on a weighted data set built like the power tests do:
# every covariate value twice, once per outcome, weighted by its probability.
x <- c(-1.5, -0.5, 0.5, 1.5)
p <- plogis(-0.3 + 0.8 * x)
emit("logistic_weighted", 1, 2, c(x, x), c(rep(1, 4), rep(0, 4)),
     c(p, 1 - p) * 25 / 4, binomial("logit"))

set.seed(7)
x1 <- round(rnorm(14), 3); x2 <- round(runif(14), 3)
yb <- c(0, 1, 0, 0, 1, 1, 0, 1, 1, 0, 1, 0, 1, 1)
wb <- c(1, 2, 1, 3, 1, 1, 2, 1, 1, 1, 2, 1, 1, 3)
emit("logistic_two_covariates", 1, 2, cbind(x1, x2), yb, wb, binomial("logit"))
emit("logistic_default_link", 1, 8, cbind(x1, x2), yb, wb, binomial("logit"))
emit("probit", 1, 3, cbind(x1, x2), yb, wb, binomial("probit"))
emit("cloglog", 1, 4, cbind(x1, x2), yb, wb, binomial("cloglog"))

# Poisson regression on an enumerated data set: counts 0..9 at three
# covariate values, weighted by their Poisson probabilities (zero counts included).
xs <- c(-1, 0, 1); counts <- 0:9
grid <- expand.grid(count = counts, x = xs)
lambda <- exp(0.4 + 0.5 * grid$x)
emit("poisson_enumerated", 2, 1, grid$x, grid$count,
     dpois(grid$count, lambda) * 40 / 3, poisson("log"))

yp <- c(2, 0, 1, 4, 3, 0, 5, 2, 1, 3, 6, 0, 2, 1)
emit("poisson_two_covariates", 2, 1, cbind(x1, x2), yp, wb, poisson("log"))
emit("poisson_dependent_column", 2, 1, cbind(x1, 2 * x1, x2), yp, wb, poisson("log"),
     Xfit = cbind(x1, x2))

# Gaussian with negative fitted values and unequal weights, one of them 0:
# weighted least squares with the estimated dispersion.
yg <- round(-2 + 1.5 * x1 - 3 * x2 + rnorm(14, sd = 0.4), 3)
wg <- wb; wg[5] <- 0
emit("gaussian", 0, 0, cbind(x1, x2), yg, wg, gaussian())

yc <- round(rgamma(14, shape = 3, rate = 3 / exp(0.5 + 0.3 * x1)), 3)
emit("gamma_inverse", 3, 8, x1, yc, wb, Gamma("inverse"))
emit("gamma_log", 3, 1, x1, yc, wb, Gamma("log"))
emit("inverse_gaussian_log", 4, 1, x1, yc, wb, inverse.gaussian("log"))

# Successes and failures in two columns.
succ <- c(3, 5, 2, 8, 6, 9); fail <- c(7, 5, 8, 2, 4, 1)
xt <- c(-1, 0, -0.5, 1.2, 0.4, 2)
emit("binomial_two_columns", 1, 2, xt, cbind(succ, fail), c(1, 1, 2, 1, 1, 0.5),
     binomial("logit"))
close(out)
