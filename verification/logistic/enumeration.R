# The enumeration method of the logistic regression test, independently:
# the expected data set of n subjects (binomial covariate: round(n pi)
# subjects at X = 1; otherwise X at Blom's positions (i - 0.375)/(n + 0.25)
# of the covariate distribution), two rows per subject weighted by the
# model's Pr(Y = y | X), fitted by R's glm(). Wald: b1^2 / Var(b1) of the
# fit, with the true slope b1; likelihood ratio: twice the log-likelihood
# at the true coefficients less that of the intercept-only glm(). Power of
# the one-df chi-square test from pchisq with that noncentrality.
#
#   Rscript enumeration.R > enumeration.tsv
#
# Columns: workspace covariate code (0 binomial, 1 normal, 2 log-normal,
# 3 uniform, 4 Poisson, 5 exponential), parameters a and b, p0, p1, n,
# alpha', wald (1) or likelihood ratio (0), critical value, lambda, power.

quantile_of <- function(code, a, b, u) switch(as.character(code),
  "1" = qnorm(u, a, b), "2" = qlnorm(u, a, b), "3" = qunif(u, a, b),
  "4" = qpois(u, a), "5" = qexp(u, a))

enumerate <- function(code, a, b, p0, p1, n, alpha, wald) {
  b0 <- qlogis(p0)
  b1 <- qlogis(p1) - qlogis(p0)
  if (code == 0) {
    k <- floor(n * a + 0.5)
    x <- c(rep(0, n - k), rep(1, k))
  } else {
    x <- quantile_of(code, a, b, ((1:n) - 0.375) / (n + 0.25))
  }
  p <- plogis(b0 + b1 * x)
  d <- data.frame(x = rep(x, each = 2), y = rep(c(0, 1), n))
  d$w <- ifelse(d$y == 1, p[rep(1:n, each = 2)], 1 - p[rep(1:n, each = 2)])
  ctl <- glm.control(epsilon = 1e-14, maxit = 100)
  fit <- suppressWarnings(glm(y ~ x, family = binomial, weights = w, data = d, control = ctl))
  loglik <- function(c0, c1) {
    eta <- c0 + c1 * d$x
    sum(d$w * (d$y * eta - log1p(exp(eta))))
  }
  if (wald) {
    lambda <- b1^2 / vcov(fit)[2, 2]
  } else {
    fit0 <- suppressWarnings(glm(y ~ 1, family = binomial, weights = w, data = d, control = ctl))
    lambda <- 2 * (loglik(b0, b1) - loglik(coef(fit0)[1], 0))
  }
  crit <- qchisq(alpha, 1, lower.tail = FALSE)
  power <- max(alpha, pchisq(crit, 1, ncp = lambda, lower.tail = FALSE))
  c(crit, lambda, power)
}

cases <- list(
  c(1, 0, 1, 0.2, 0.2 * 1.3 / (0.3 * 0.2 + 1), 1188, 0.05, 1),
  c(1, 0, 1, 0.2, 0.2 * 1.3 / (0.3 * 0.2 + 1), 1188, 0.05, 0),
  c(1, 0, 1, 0.5, 0.4, 200, 0.1, 1),
  c(1, 2, 0.5, 0.3, 0.6, 50, 0.01, 0),
  c(0, 0.5, 0, 0.2, 0.245283018867925, 400, 0.05, 1),
  c(0, 0.25, 0, 0.2, 0.4, 10, 0.05, 0),
  c(0, 0.3, 0, 0.6, 0.3, 77, 0.05, 1),
  c(2, 0, 1, 0.2, 0.3, 300, 0.05, 1),
  c(2, 0, 0.5, 0.4, 0.3, 150, 0.05, 0),
  c(3, 0, 1, 0.2, 0.35, 250, 0.05, 1),
  c(3, -1, 3, 0.5, 0.6, 120, 0.02, 0),
  c(4, 1, 0, 0.2, 0.3, 300, 0.05, 1),
  c(4, 3.5, 0, 0.1, 0.15, 90, 0.05, 0),
  c(5, 1, 0, 0.2, 0.3, 300, 0.05, 1),
  c(5, 2, 0, 0.7, 0.5, 60, 0.1, 0),
  c(1, 0, 1, 0.3, 0.3, 100, 0.05, 1),
  c(1, 0, 1, 0.3, 0.3, 100, 0.05, 0)
)
cat("# code\ta\tb\tp0\tp1\tn\talpha\twald\tcrit\tlambda\tpower\n")
for (cs in cases) {
  r <- enumerate(cs[1], cs[2], cs[3], cs[4], cs[5], cs[6], cs[7], cs[8] == 1)
  cat(sprintf("%d\t%.17g\t%.17g\t%.17g\t%.17g\t%d\t%.17g\t%d\t%.15g\t%.15g\t%.15g\n",
              cs[1], cs[2], cs[3], cs[4], cs[5], cs[6], cs[7], cs[8], r[1], r[2], r[3]))
}
